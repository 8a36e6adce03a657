// The local code workspace: projects and files on the left, the open file and the
// conversation about the project on the right. Layout and bindings only; the state and the
// commands are CodeWorkspaceViewModel's.
import QtQuick
import QtQuick.Layouts
import VexaAI.Code
import VexaAI.Style

Item {
    id: root

    // The application's client unless the host hands in another one.
    property alias client: model.client
    readonly property CodeWorkspaceViewModel viewModel: model
    // Too narrow for the files beside the project: one or the other is shown, the files first;
    // opening a file shows the project, its "Файлы" button the files again.
    readonly property bool compact: width < 720
    property bool showingFiles: true

    CodeWorkspaceViewModel {
        id: model
        shown: root.visible
    }

    Connections {
        target: model.store
        function onSelectedFileChanged() {
            if (model.store.hasOpenFile)
                root.showingFiles = false
        }
    }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        CodeSidebar {
            visible: !root.compact || root.showingFiles || !model.store.hasProject
            viewModel: model
            Layout.preferredWidth: 220
            Layout.fillWidth: root.compact
            Layout.fillHeight: true
        }

        CodeDivider {
            visible: !root.compact
            vertical: true
        }

        CodeEmptyState {
            visible: !model.store.hasProject && !root.compact
            Layout.fillWidth: true
            Layout.fillHeight: true
            objectName: "noProjectState"
            title: "Локальных проектов пока нет"
            symbol: "folder.badge.plus"
            message: "Создайте проект кнопкой слева."
        }

        CodeProjectPane {
            visible: model.store.hasProject && (!root.compact || !root.showingFiles)
            compact: root.compact
            viewModel: model
            onFilesRequested: root.showingFiles = true
            Layout.fillWidth: true
            Layout.fillHeight: true
        }
    }

    Shortcut {
        // Ctrl+S here; Qt reads Ctrl as Command on macOS.
        sequences: VexaShortcuts.keys("code.save")
        enabled: root.visible && model.store.hasOpenFile
        onActivated: model.saveFile()
    }

    CodeNameDialog {
        objectName: "newProjectDialog"
        title: "Новый проект"
        placeholder: "Название"
        showing: model.showingProjectPrompt
        text: model.newProjectName
        onTextEdited: text => model.newProjectName = text
        onConfirmed: model.confirmNewProject()
        onCancelled: model.cancelNewProject()
    }

    CodeNameDialog {
        objectName: "newFileDialog"
        title: "Новый файл"
        placeholder: "Например: main.py"
        showing: model.showingFilePrompt
        text: model.newFileName
        onTextEdited: text => model.newFileName = text
        onConfirmed: model.confirmNewFile()
        onCancelled: model.cancelNewFile()
    }

    CodeImportDialog {
        showing: model.showingImport
        onChosen: urls => model.importFiles(urls)
        onCancelled: model.showingImport = false
    }

    CodeNoticeDialog {
        store: model.store
    }
}
