// The selected project: its header, then the editor card beside the conversation card.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Code
import VexaAI.Style

ColumnLayout {
    id: pane

    required property CodeWorkspaceViewModel viewModel
    // Narrow: the editor over the conversation, and a way back to the files.
    property bool compact: false
    signal filesRequested()

    spacing: VexaTheme.spacing

    RowLayout {
        Layout.fillWidth: true
        Layout.leftMargin: VexaTheme.margin
        Layout.rightMargin: VexaTheme.margin
        Layout.topMargin: VexaTheme.margin - 4
        spacing: VexaTheme.spacing

        ToolButton {
            objectName: "showFilesButton"
            visible: pane.compact
            text: "‹ Файлы"
            onClicked: pane.filesRequested()
            Accessible.name: "Файлы проекта"
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Label {
                objectName: "projectTitle"
                textFormat: Text.PlainText
                text: pane.viewModel.store.projectName
                font.weight: Font.Bold
                font.pixelSize: VexaTheme.titleSize
                color: VexaTheme.textPrimary
                elide: Text.ElideRight
                Layout.fillWidth: true
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            CodeCaption {
                text: pane.viewModel.filesStayLocalCaption
                font.weight: Font.Normal
                Layout.fillWidth: true
            }
        }

        ProminentButton {
            objectName: "saveFileButton"
            visible: pane.viewModel.store.hasOpenFile
            text: "Сохранить файл"
            symbol: "square.and.arrow.down"
            onClicked: pane.viewModel.saveFile()
        }
    }

    GridLayout {
        columns: pane.compact ? 1 : 2
        Layout.fillWidth: true
        Layout.fillHeight: true
        Layout.leftMargin: VexaTheme.margin
        Layout.rightMargin: VexaTheme.margin
        Layout.bottomMargin: VexaTheme.margin
        rowSpacing: VexaTheme.spacing
        columnSpacing: VexaTheme.spacing

        GlassCard {
            padding: 12
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumWidth: pane.compact ? 0 : pane.viewModel.store.hasOpenFile ? 220 : 240

            CodeEditorPane {
                id: editorPane
                anchors.fill: parent
                visible: pane.viewModel.store.hasOpenFile
                store: pane.viewModel.store
                onSaveRequested: pane.viewModel.saveFile()
            }
            CodeEmptyState {
                anchors.fill: parent
                visible: !pane.viewModel.store.hasOpenFile
                objectName: "noFileState"
                title: "Выберите файл"
                symbol: "chevron.left.forwardslash.chevron.right"
                message: "Создайте файл слева или задайте вопрос о проекте."
            }
        }

        GlassCard {
            padding: 12
            Layout.fillWidth: true
            Layout.fillHeight: !pane.compact
            Layout.preferredHeight: pane.compact ? pane.height * 0.3 : -1
            Layout.minimumWidth: pane.compact ? 0 : 260

            CodeConversationPane {
                anchors.fill: parent
                viewModel: pane.viewModel
                insertCode: pane.viewModel.store.hasOpenFile && !pane.viewModel.store.readOnly
                            ? code => editorPane.insertCode(code) : null
            }
        }
    }
}
