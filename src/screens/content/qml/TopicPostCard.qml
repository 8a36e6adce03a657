// One forum post: author, selectable text, date; its accessible name carries all three.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

GlassCard {
    id: card

    required property string author
    required property string body
    required property string date
    required property string spoken

    padding: 14
    Accessible.role: Accessible.ListItem
    Accessible.name: card.spoken

    ColumnLayout {
        spacing: 6
        Text {
            text: card.author
            textFormat: Text.PlainText
            color: VexaTheme.accentSecondary
            font.pixelSize: VexaTheme.captionSize
            font.weight: Font.DemiBold
        }
        TextEdit {
            Layout.fillWidth: true
            text: card.body
            textFormat: TextEdit.PlainText
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.Wrap
            color: VexaTheme.textPrimary
            selectionColor: VexaTheme.accent
            font.pixelSize: VexaTheme.bodySize
            Accessible.role: Accessible.StaticText
            Accessible.name: card.author + ": " + card.body
            Accessible.description: card.date
        }
        Text {
            visible: card.date.length > 0
            text: card.date
            textFormat: Text.PlainText
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.captionSize - 1
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
