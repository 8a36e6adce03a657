import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Chat
import VexaAI.Content
import VexaAI.Style

// Long-term memory: a new fact, and the facts the account keeps, each deletable after asking.
GlassCard {
    id: card

    required property WorkspaceViewModel viewModel

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            symbol: "brain.head.profile"
            title: "Память Vexa"
            caption: "Сохранённые факты учитываются в будущих разговорах."
        }
        GrowingTextArea {
            id: memoryField
            objectName: "memoryField"
            Layout.fillWidth: true
            placeholderText: "Что важно запомнить?"
            minLines: 2
            maxLines: 4
            text: card.viewModel.memoryText
            onTextChanged: card.viewModel.memoryText = text
            onSubmitted: card.viewModel.remember()
        }
        ProminentButton {
            objectName: "rememberButton"
            text: "Запомнить"
            enabled: card.viewModel.canRemember
            busy: card.viewModel.remembering
            onClicked: card.viewModel.remember()
            Keys.onReturnPressed: card.viewModel.remember()
        }
        Repeater {
            id: memoryRows
            model: card.viewModel.memories
            onItemRemoved: (index, item) => rowFocus.rowRemoved(index, item)
            delegate: ColumnLayout {
                id: row
                required property int index
                required property string content
                readonly property Item focusTarget: trash
                Layout.fillWidth: true
                spacing: 6

                RowLayout {
                    Layout.fillWidth: true
                    WorkspaceSelectableText {
                        Layout.fillWidth: true
                        text: row.content
                    }
                    IconButton {
                        id: trash
                        symbol: "trash"
                        label: "Удалить воспоминание"
                        tint: VexaTheme.error
                        onClicked: card.viewModel.askDeleteMemory(row.index)
                        Keys.onReturnPressed: clicked()
                    }
                }
                Rectangle {
                    Layout.fillWidth: true
                    implicitHeight: 1
                    color: VexaTheme.separator
                }
            }
        }
        WorkspaceRowFocus {
            id: rowFocus
            repeater: memoryRows
            fallback: memoryField.textArea
        }
        ConfirmationDialog {
            id: confirm
            title: "Удалить воспоминание?"
            onConfirmed: card.viewModel.confirmDeleteMemory()
            onDismissed: card.viewModel.cancelDelete()
        }
        Connections {
            target: card.viewModel
            function onDeletingChanged() {
                if (card.viewModel.hasDeletingMemory)
                    confirm.open()
            }
        }
    }
}
