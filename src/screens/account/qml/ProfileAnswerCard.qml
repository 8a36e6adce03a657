import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// The answer settings the service applies: length and creativity. Only a choice the user makes
// is sent.
GlassCard {
    id: card

    required property ProfileViewModel viewModel

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            title: "Настройки ответов"
            symbol: "slider.horizontal.3"
        }
        ProfilePicker {
            objectName: "lengthPicker"
            Layout.fillWidth: true
            label: "Длина ответа"
            choices: card.viewModel.lengthChoices
            selected: card.viewModel.selectedLength
            onChosen: (value) => card.viewModel.chooseLength(value)
        }
        ProfilePicker {
            objectName: "creativityPicker"
            Layout.fillWidth: true
            label: "Креативность"
            choices: card.viewModel.creativityChoices
            selected: card.viewModel.selectedCreativity
            onChosen: (value) => card.viewModel.chooseCreativity(value)
        }
    }
}
