import QtQuick

// A message drawn as one light Text: the user's words, or an answer of prose, lists and quotes
// only (most answers) — the fast path for scrolling.
MessageBubble {
    id: bubble

    required property string html

    contentWidth: label.contentWidth
    contentHeight: label.height
    textItem: label

    SelectableText {
        id: label
        x: bubble.padding
        y: bubble.contentTop
        width: bubble.innerMaxWidth
        text: bubble.html
        spoken: bubble.spoken
        font.pointSize: bubble.textSize
        onLinkActivated: link => bubble.linkActivated(link)
    }
}
