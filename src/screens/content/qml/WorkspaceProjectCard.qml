import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Chat
import VexaAI.Content
import VexaAI.Style

// The account's server projects: a form for a new one, and the list, each deletable after asking.
GlassCard {
    id: card

    required property WorkspaceViewModel viewModel

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            symbol: "folder.fill"
            title: "Мои проекты"
            caption: "Проекты связаны с вашим аккаунтом Vexa AI."
        }
        TextButton {
            id: formToggle
            objectName: "projectFormToggle"
            text: card.viewModel.showProjectForm ? "Скрыть форму" : "Создать проект"
            onClicked: card.viewModel.toggleProjectForm()
            Keys.onReturnPressed: clicked()
        }
        ColumnLayout {
            Layout.fillWidth: true
            visible: card.viewModel.showProjectForm
            spacing: 8

            TextField {
                objectName: "projectNameField"
                Layout.fillWidth: true
                placeholderText: "Название"
                selectByMouse: true
                text: card.viewModel.projectName
                onTextEdited: card.viewModel.projectName = text
                onAccepted: card.viewModel.saveProject()
                Accessible.name: placeholderText
            }
            GrowingTextArea {
                objectName: "projectDescriptionField"
                Layout.fillWidth: true
                placeholderText: "Описание"
                minLines: 2
                maxLines: 4
                text: card.viewModel.projectDescription
                onTextChanged: card.viewModel.projectDescription = text
                onSubmitted: card.viewModel.saveProject()
            }
            ProminentButton {
                objectName: "saveProjectButton"
                text: "Сохранить проект"
                enabled: card.viewModel.canSaveProject
                busy: card.viewModel.savingProject
                onClicked: card.viewModel.saveProject()
                Keys.onReturnPressed: card.viewModel.saveProject()
            }
        }
        Repeater {
            id: projectRows
            model: card.viewModel.projects
            onItemRemoved: (index, item) => rowFocus.rowRemoved(index, item)
            delegate: ColumnLayout {
                id: row
                required property int index
                required property string name
                required property string description
                readonly property Item focusTarget: trash
                Layout.fillWidth: true
                spacing: 6

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 10
                    VexaIcon {
                        symbol: "folder"
                        color: VexaTheme.accent
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Label {
                            Layout.fillWidth: true
                            text: row.name
                            textFormat: Text.PlainText
                            wrapMode: Text.Wrap
                            font.pixelSize: VexaTheme.bodySize + 1
                            font.weight: Font.DemiBold
                            color: VexaTheme.textPrimary
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }
                        Label {
                            Layout.fillWidth: true
                            visible: text.length > 0
                            text: row.description
                            textFormat: Text.PlainText
                            wrapMode: Text.Wrap
                            font.pixelSize: VexaTheme.captionSize + 1
                            color: VexaTheme.textSecondary
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }
                    }
                    IconButton {
                        id: trash
                        symbol: "trash"
                        label: "Удалить проект"
                        tint: VexaTheme.error
                        onClicked: card.viewModel.askDeleteProject(row.index)
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
            repeater: projectRows
            fallback: formToggle
        }
        ConfirmationDialog {
            id: confirm
            title: "Удалить проект?"
            onConfirmed: card.viewModel.confirmDeleteProject()
            onDismissed: card.viewModel.cancelDelete()
        }
        Connections {
            target: card.viewModel
            function onDeletingChanged() {
                if (card.viewModel.hasDeletingProject)
                    confirm.open()
            }
        }
    }
}
