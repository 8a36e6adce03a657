import QtQuick
import QtQuick.Layouts
import VexaAI.Content

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
        sequence: StandardKey.Refresh
        enabled: view.visible
        onActivated: view.savedAnswers.reload()
    }
}
