import QtQuick
import VexaAI.Style

// A list, nested ones indented under their item: bullets by level, numbers from the list's
// own start, ☐/☑ for tasks. An item's later paragraphs hang under its text without a marker.
AnswerBlock {
    id: block

    required property var items
    required property string hidden

    body: column

    Column {
        id: column
        x: block.inset
        spacing: 4
        Repeater {
            model: block.items
            Item {
                id: item
                required property var modelData
                readonly property real indent: Math.min(modelData.depth, 8) * 22
                readonly property real markerWidth: marker.text.length > 2 ? marker.implicitWidth + 6 : 22
                width: indent + markerWidth + text.width
                height: Math.max(marker.height, text.height)
                Text {
                    id: marker
                    x: item.indent
                    text: item.modelData.marker
                    textFormat: Text.PlainText
                    color: item.modelData.marker.length > 0 && item.modelData.marker[0] >= "0"
                           && item.modelData.marker[0] <= "9" ? block.textColor : VexaTheme.textSecondary
                    font.pointSize: block.textSize
                    Accessible.ignored: true
                }
                Text {
                    id: text
                    x: item.indent + item.markerWidth
                    width: Math.min(implicitWidth, Math.max(80, block.innerMaxWidth - x))
                    text: item.modelData.html
                    textFormat: Text.StyledText
                    wrapMode: Text.Wrap
                    color: block.textColor
                    font.pointSize: block.textSize
                    onLinkActivated: link => block.view.linkActivated(link)
                    Accessible.role: Accessible.ListItem
                    Accessible.name: (item.modelData.marker === "☑" ? "Выполнено: "
                                      : item.modelData.marker === "☐" ? "Не выполнено: " : "")
                                     + item.modelData.plain
                }
            }
        }
        Text {
            visible: block.hidden.length > 0
            text: block.hidden
            color: VexaTheme.textSecondary
            font.pointSize: block.textSize * 0.85
            font.italic: true
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
