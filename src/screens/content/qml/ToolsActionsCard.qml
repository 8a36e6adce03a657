import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style
import VexaAI.Answer

// The account's saved actions: pick one, type the text, run it (Ctrl+Enter in the field).
GlassCard {
    id: card

    required property ToolsViewModel viewModel
    readonly property bool hasActions: viewModel.actions.count > 0

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            symbol: "bolt.fill"
            title: "Vexa Actions"
        }
        Label {
            visible: !card.hasActions
            text: "Действий пока нет."
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        RowLayout {
            visible: card.hasActions
            spacing: 8
            Label {
                text: "Действие"
                color: VexaTheme.textSecondary
            }
            ComboBox {
                id: actionPicker
                delegate: ComboBoxEntry { box: actionPicker }
                objectName: "actionPicker"
                Layout.fillWidth: true
                Layout.maximumWidth: 360
                model: card.viewModel.actions
                textRole: "title"
                currentIndex: card.viewModel.selectedActionIndex
                onActivated: (index) => card.viewModel.selectActionAt(index)
                Accessible.name: "Действие"
            }
        }
        GrowingTextArea {
            objectName: "actionInputField"
            Layout.fillWidth: true
            visible: card.hasActions
            placeholderText: "Текст для обработки"
            minLines: 3
            maxLines: 7
            text: card.viewModel.actionInput
            onTextChanged: card.viewModel.actionInput = text
            onSubmitted: card.viewModel.runAction()
        }
        ProminentButton {
            objectName: "runActionButton"
            visible: card.hasActions
            text: card.viewModel.actionBusy ? "Выполняем…" : "Выполнить"
            symbol: "sparkles"
            enabled: card.viewModel.canRunAction
            onClicked: card.viewModel.runAction()
            Keys.onReturnPressed: card.viewModel.runAction()
        }
        AnswerText {
            objectName: "actionResult"
            Layout.fillWidth: true
            visible: card.hasActions && text.length > 0
            text: card.viewModel.actionResult
        }
    }
}
