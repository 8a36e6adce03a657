import QtQuick
import VexaAI.Shell

// The screen shown for a section: the one place that says which view each section opens.
// A screen plugs in with one entry in `screens`, its document's address, e.g.
//     [VexaSection.Chat]: "qrc:/qt/qml/VexaAI/Chat/ChatView.qml"
// A section without its screen yet shows its title.
//
// Screens are named by address rather than by type on purpose: a type named here (even inside
// a Component) makes the engine compile that screen's documents, and everything they use, when
// the window loads. By address, only the screen shown is compiled, when it is first shown.
Loader {
    id: page

    required property int section
    required property string title

    // Section → document. (A `switch` in this binding loops forever once compiled by Qt 6.4's
    // qmlcachegen; a lookup table does not.)
    readonly property var screens: ({
        [VexaSection.Chat]: "qrc:/qt/qml/VexaAI/Chat/ChatView.qml",
        [VexaSection.Code]: "qrc:/qt/qml/VexaAI/Code/CodeWorkspaceView.qml",
        [VexaSection.Community]: "qrc:/qt/qml/VexaAI/Content/CommunityView.qml",
        [VexaSection.Workspace]: "qrc:/qt/qml/VexaAI/Content/WorkspaceView.qml",
        [VexaSection.Tools]: "qrc:/qt/qml/VexaAI/Content/ToolsView.qml",
        [VexaSection.Images]: "qrc:/qt/qml/VexaAI/Account/ImagesView.qml",
        [VexaSection.Plans]: "qrc:/qt/qml/VexaAI/Account/PlansView.qml",
        [VexaSection.Profile]: "qrc:/qt/qml/VexaAI/Account/ProfileView.qml"
    })
    readonly property string placeholder: "qrc:/qt/qml/VexaAI/Shell/SectionPlaceholder.qml"

    source: screens[section] !== undefined ? screens[section] : placeholder

    Binding {
        target: page.item
        when: page.source.toString() === page.placeholder && page.item !== null
        property: "title"
        value: page.title
    }
}
