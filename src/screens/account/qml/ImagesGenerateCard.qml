import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// "Промпт": the prompt, the image model and the generate button, with the warning and the
// tariffs link when the account cannot generate.
GlassCard {
    id: card

    required property ImagesViewModel viewModel

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            title: "Промпт"
        }
        GrowingTextArea {
            objectName: "promptField"
            areaName: "promptFieldArea"
            framed: true
            Layout.fillWidth: true
            minLines: 3
            maxLines: 7
            text: card.viewModel.prompt
            onTextChanged: card.viewModel.prompt = text
            placeholderText: "Например: уютный город будущего на закате"
            accessibleName: "Промпт"
            onSubmitted: card.viewModel.generate()
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            Label {
                text: "Модель"
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.bodySize
            }
            ComboBox {
                id: modelBox
                delegate: ComboBoxEntry { box: modelBox }
                objectName: "modelPicker"
                Layout.fillWidth: true
                model: card.viewModel.imageModels
                textRole: "title"
                valueRole: "id"
                // Bound, never assigned: the box shows the model that would be sent, also when
                // the state's models change after the page appeared.
                currentIndex: card.viewModel.selectedModelIndex
                enabled: !card.viewModel.modelLocked && count > 0
                onActivated: index => card.viewModel.selectedModel = model[index].id
                Accessible.name: "Модель"
            }
        }
        RowLayout {
            Layout.fillWidth: true
            visible: card.viewModel.showUnavailable
            spacing: 8
            VexaIcon {
                symbol: "lock"
                size: 18
                color: VexaTheme.warning
            }
            Label {
                Layout.fillWidth: true
                text: "Генерация сейчас недоступна для этого аккаунта или лимит исчерпан."
                wrapMode: Text.Wrap
                color: VexaTheme.warning
                font.pixelSize: VexaTheme.bodySize
                Accessible.role: Accessible.AlertMessage
                Accessible.name: text
            }
        }
        Button {
            objectName: "tariffsButton"
            visible: card.viewModel.showUnavailable
            text: "Посмотреть тарифы в Telegram"
            flat: true
            font.capitalization: Font.MixedCase
            onClicked: card.viewModel.openTariffs()
        }
        ProminentButton {
            objectName: "generateButton"
            Layout.fillWidth: true
            text: card.viewModel.generating ? "Создаём…" : "Сгенерировать"
            symbol: "sparkles"
            busy: card.viewModel.generating
            enabled: card.viewModel.canGenerate
            onClicked: card.viewModel.generate()
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
    }
}
