import QtQuick
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

// The tools section: web search, saved actions and characters. F5 reloads the characters.
Item {
    id: view
    objectName: "toolsView"

    readonly property ToolsViewModel viewModel: ToolsViewModel {}

    Component.onCompleted: viewModel.appear()
    onVisibleChanged: if (visible) viewModel.appear()

    WorkspacePage {
        anchors.fill: parent
        title: "Инструменты"

        ToolsSearchCard {
            Layout.fillWidth: true
            viewModel: view.viewModel
        }
        ToolsActionsCard {
            Layout.fillWidth: true
            viewModel: view.viewModel
        }
        ToolsCharactersCard {
            Layout.fillWidth: true
            viewModel: view.viewModel
        }
    }

    Shortcut {
        sequences: VexaShortcuts.keys("tools.refresh")
        enabled: view.visible
        onActivated: view.viewModel.reloadCharacters()
    }
}
