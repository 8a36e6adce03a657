// The selected project: its header, then the editor column beside the conversation column.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Code

ColumnLayout {
    id: pane

    required property CodeWorkspaceViewModel viewModel

    spacing: 0

    RowLayout {
        Layout.fillWidth: true
        Layout.margins: 16
        spacing: 12

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Label {
                objectName: "projectTitle"
                text: pane.viewModel.store.projectName
                font.bold: true
                font.pixelSize: 20
                elide: Text.ElideRight
                Layout.fillWidth: true
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            CodeCaption {
                text: pane.viewModel.filesStayLocalCaption
                font.bold: false
                Layout.fillWidth: true
            }
        }

        Button {
            objectName: "saveFileButton"
            visible: pane.viewModel.store.hasOpenFile
            text: "Сохранить файл"
            highlighted: true
            onClicked: pane.viewModel.saveFile()
        }
    }

    CodeDivider {}

    RowLayout {
        Layout.fillWidth: true
        Layout.fillHeight: true
        spacing: 0

        CodeEditorPane {
            visible: pane.viewModel.store.hasOpenFile
            store: pane.viewModel.store
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumWidth: 220
        }

        CodeEmptyState {
            visible: !pane.viewModel.store.hasOpenFile
            objectName: "noFileState"
            title: "Выберите файл"
            symbol: "chevron.left.forwardslash.chevron.right"
            message: "Создайте файл слева или задайте вопрос о проекте."
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumWidth: 240
        }

        CodeDivider { vertical: true }

        CodeConversationPane {
            viewModel: pane.viewModel
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumWidth: 260
        }
    }
}
