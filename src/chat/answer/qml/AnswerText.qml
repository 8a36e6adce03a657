import QtQuick
import VexaAI.Style
import VexaAI.Answer

// An answer given as Markdown, drawn by the answer renderer where a screen has only the text
// (the voice conversation, the tools' search and action answers, saved answers). Links open
// only as https or mail.
Item {
    id: root

    // The answer's Markdown.
    property string text
    property real textSize: VexaTheme.bodySize * 0.75
    readonly property AnswerModel answer: blocks

    implicitWidth: view.width
    implicitHeight: view.height

    AnswerModel {
        id: blocks
        markdown: root.text
    }
    AnswerView {
        id: view
        maxWidth: Math.max(120, root.width)
        textSize: root.textSize
        answer: blocks
        onLinkActivated: link => {
            if (link.startsWith("https:") || link.startsWith("mailto:"))
                Qt.openUrlExternally(link)
        }
    }
}
