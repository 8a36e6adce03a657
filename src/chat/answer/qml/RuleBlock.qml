import QtQuick
import VexaAI.Style

// A thematic break: a line across the bubble.
AnswerBlock {
    id: block
    body: line
    Item {
        id: line
        x: block.inset
        width: block.innerMaxWidth
        height: 13
        Rectangle {
            y: 6
            width: parent.width
            height: 1
            color: VexaTheme.ruleLine
        }
        Accessible.role: Accessible.Separator
        Accessible.name: "Разделитель"
    }
}
