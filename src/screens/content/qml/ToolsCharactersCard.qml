import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

// The assistant characters, here and in the bot: switch the character off, or pick one.
GlassCard {
    id: card

    required property ToolsViewModel viewModel

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            symbol: "theatermasks.fill"
            title: "Персонажи"
            caption: "Выбранный персонаж действует и в Telegram, и здесь."
        }
        TextButton {
            objectName: "characterOffButton"
            text: "Выключить персонажа"
            enabled: !card.viewModel.activating
            onClicked: card.viewModel.activateCharacter("none")
            Keys.onReturnPressed: clicked()
        }
        BusyIndicator {
            Layout.alignment: Qt.AlignHCenter
            visible: card.viewModel.charactersLoading && card.viewModel.characters.count === 0
            running: visible
            Accessible.name: "Загрузка"
        }
        Repeater {
            model: card.viewModel.characters
            delegate: ToolsCharacterRow {
                Layout.fillWidth: true
                viewModel: card.viewModel
            }
        }
    }
}
