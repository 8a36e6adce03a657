import QtQuick
import VexaAI.Account
import VexaAI.Chat
import VexaAI.Code
import VexaAI.Content
import VexaAI.Shell

// The screen shown for a section: the one place that says which view each section opens.
// A screen plugs in with a Component below and one entry in `screens`, e.g.
//     [VexaSection.Chat]: chatScreen
// A section without its screen yet shows its title.
Loader {
    id: page

    required property int section
    required property string title

    // Section → Component. (A `switch` in this binding loops forever once compiled by
    // Qt 6.4's qmlcachegen; a lookup table does not.)
    readonly property var screens: ({
        [VexaSection.Chat]: chatScreen,
        [VexaSection.Code]: codeScreen,
        [VexaSection.Community]: communityScreen,
        [VexaSection.Workspace]: workspaceScreen,
        [VexaSection.Tools]: toolsScreen,
        [VexaSection.Images]: imagesScreen,
        [VexaSection.Plans]: plansScreen,
        [VexaSection.Profile]: profileScreen
    })

    sourceComponent: screens[section] !== undefined ? screens[section] : placeholder

    Component {
        id: chatScreen
        ChatView {}
    }
    Component {
        id: codeScreen
        CodeWorkspaceView {}
    }
    Component {
        id: communityScreen
        CommunityView {}
    }
    Component {
        id: workspaceScreen
        WorkspaceView {}
    }
    Component {
        id: toolsScreen
        ToolsView {}
    }
    Component {
        id: imagesScreen
        ImagesView {}
    }
    Component {
        id: plansScreen
        PlansView {}
    }
    Component {
        id: profileScreen
        ProfileView {}
    }
    Component {
        id: placeholder
        SectionPlaceholder {
            title: page.title
        }
    }
}
