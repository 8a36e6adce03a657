import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Voice

// One voice: the selection mark, its name and details, the favourite star, "Выбрать" and
// "Послушать". Each button is reachable with Tab.
Rectangle {
    id: row

    required property VoiceLibraryViewModel viewModel
    required property string identifier
    required property string name
    required property string details
    required property bool favorite
    required property bool selected

    implicitHeight: content.implicitHeight + 16
    radius: 12
    color: row.selected ? VexaTheme.selectionFill : VexaTheme.cardFill
    Accessible.role: Accessible.ListItem
    Accessible.name: row.name + ", " + row.details

    RowLayout {
        id: content
        anchors.fill: parent
        anchors.margins: 8
        spacing: 8

        VexaIcon {
            symbol: row.selected ? "checkmark.circle.fill" : "circle"
            color: row.selected ? VexaTheme.accentSecondary : VexaTheme.textTertiary
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: row.name
                elide: Text.ElideRight
                color: VexaTheme.textPrimary
                font.pixelSize: VexaTheme.bodySize
                font.weight: Font.DemiBold
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: row.details
                wrapMode: Text.Wrap
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.captionSize
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
        VoiceButton {
            objectName: "favorite"
            flat: true
            symbol: row.favorite ? "star.fill" : "star"
            symbolColor: row.favorite ? "#ffd60a" : VexaTheme.textTertiary
            accessibleName: row.favorite ? "Убрать из избранного" : "Добавить в избранное"
            onClicked: row.viewModel.toggleFavorite(row.identifier)
        }
        VoiceButton {
            objectName: "choose"
            flat: true
            text: row.selected ? "Выбран" : "Выбрать"
            onClicked: row.viewModel.selectVoice(row.identifier)
        }
        VoiceButton {
            objectName: "listen"
            flat: true
            symbol: "play.fill"
            // Beside each other in a narrow sheet the symbol says enough.
            text: row.width > 460 ? "Послушать" : ""
            accessibleName: "Послушать"
            onClicked: row.viewModel.listen(row.identifier)
        }
    }
}
