// One forum post: author, selectable text, date.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

GlassCard {
    id: card

    required property string author
    required property string body
    required property string date

    padding: 14

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
        }
        Text {
            visible: card.date.length > 0
            text: card.date
            textFormat: Text.PlainText
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.captionSize - 1
        }
    }
}
