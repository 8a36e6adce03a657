// The workspace's sidebar: the account's projects, then the selected project's files.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Code
import VexaAI.Style

Rectangle {
    id: sidebar

    required property CodeWorkspaceViewModel viewModel

    color: VexaTheme.chromeFill

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 16
        spacing: 8

        RowLayout {
            Layout.fillWidth: true
            Label {
                text: "Vexa Code"
                font.weight: Font.Bold
                font.pixelSize: VexaTheme.headingSize
                color: VexaTheme.textPrimary
                Layout.fillWidth: true
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            CodeIconButton {
                objectName: "newProjectButton"
                symbol: "folder.badge.plus"
                help: "Новый локальный проект"
                onClicked: sidebar.viewModel.showingProjectPrompt = true
            }
        }

        CodeCaption { text: "Локальные проекты" }

        ListView {
            objectName: "projectList"
            clip: true
            spacing: 2
            model: sidebar.viewModel.projects
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumHeight: 60
            delegate: CodeSidebarRow {
                required property int index
                required property string name
                required property bool selected
                width: ListView.view.width
                symbol: "folder"
                label: name
                highlighted: selected
                onClicked: ListView.view.model.activate(index)
            }
        }

        CodeDivider {}

        RowLayout {
            Layout.fillWidth: true
            CodeCaption {
                text: "Файлы"
                Layout.fillWidth: true
            }
            CodeIconButton {
                objectName: "importButton"
                symbol: "square.and.arrow.down"
                help: "Импортировать текстовые файлы"
                enabled: sidebar.viewModel.store.hasProject
                onClicked: sidebar.viewModel.showingImport = true
            }
            CodeIconButton {
                objectName: "newFileButton"
                symbol: "plus"
                help: "Новый файл"
                enabled: sidebar.viewModel.store.hasProject
                onClicked: sidebar.viewModel.showingFilePrompt = true
            }
        }

        ListView {
            objectName: "fileList"
            clip: true
            spacing: 2
            model: sidebar.viewModel.files
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumHeight: 60
            delegate: CodeSidebarRow {
                required property int index
                required property string name
                required property bool selected
                width: ListView.view.width
                symbol: "doc.text"
                // Unsaved changes: a dot after the open file's name.
                label: selected && sidebar.viewModel.store.modified ? name + " ●" : name
                highlighted: selected
                onClicked: ListView.view.model.activate(index)
            }
        }
    }
}
