import QtQuick
import VexaAI.Style

// The line after what an over-long answer lays out, saying what is left.
AnswerBlock {
    id: block

    required property string html

    body: text
    bodyWidth: text.contentWidth
    Text {
        id: text
        x: block.inset
        width: block.innerMaxWidth
        text: block.html
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        color: VexaTheme.textSecondary
        font.pointSize: block.textSize * 0.85
        font.italic: true
        Accessible.role: Accessible.StaticText
        Accessible.name: text.text
    }
}
