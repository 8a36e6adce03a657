import QtQuick
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

// The workspace section: saved answers and recipes, memory facts, server projects. F5 reloads
// the page of saved answers shown.
Item {
    id: view
    objectName: "workspaceView"

    readonly property WorkspaceViewModel viewModel: WorkspaceViewModel {}
    readonly property SavedAnswersViewModel savedAnswers: answersCard.viewModel

    WorkspacePage {
        anchors.fill: parent
        title: "Пространство"

        SavedAnswersCard {
            id: answersCard
            Layout.fillWidth: true
        }
        WorkspaceMemoryCard {
            Layout.fillWidth: true
            viewModel: view.viewModel
        }
        WorkspaceProjectCard {
            Layout.fillWidth: true
            viewModel: view.viewModel
        }
    }

    Shortcut {
        sequences: VexaShortcuts.keys("workspace.refresh")
        enabled: view.visible
        onActivated: view.savedAnswers.reload()
    }
}
