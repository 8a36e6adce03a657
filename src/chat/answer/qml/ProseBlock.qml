import QtQuick
import VexaAI.Style

// A paragraph (or several) of prose, or of a quote: one styled Text, the fast path that keeps
// a long chat scrolling smoothly.
AnswerBlock {
    id: block

    required property string html
    required property string kind
    readonly property bool quoted: kind === "quote"

    body: text
    bodyWidth: text.contentWidth
    textItem: text

    Text {
        id: text
        x: block.inset
        width: block.innerMaxWidth
        text: block.html
        textFormat: Text.StyledText
        wrapMode: Text.Wrap
        color: block.quoted ? VexaTheme.quoteText : block.textColor
        font.pointSize: block.textSize
        font.italic: block.quoted
        onLinkActivated: link => block.view.linkActivated(link)
        Accessible.role: Accessible.StaticText
        Accessible.name: block.plain
    }
}
