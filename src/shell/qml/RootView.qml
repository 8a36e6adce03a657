import QtQuick
import QtQuick.Controls
import VexaAI.Style
import VexaAI.Shell

// The root of the window: the backdrop, then the waiting screen, the sign-in screen or the
// sections, plus the sections sheet and the notice alert above them.
Item {
    id: root

    readonly property RootViewModel model: rootModel

    RootViewModel {
        id: rootModel
        width: root.width
    }

    VexaBackground {
        anchors.fill: parent
    }

    Loader {
        id: screenLoader
        objectName: "screenLoader"
        anchors.fill: parent
        focus: true
        sourceComponent: rootModel.screen === RootViewModel.Waiting ? waitingScreen
                       : rootModel.screen === RootViewModel.SignIn ? signInScreen
                       : sectionsScreen
    }

    Component {
        id: waitingScreen
        WaitingView {}
    }
    Component {
        id: signInScreen
        LoginView {
            focus: true
        }
    }
    Component {
        id: sectionsScreen
        SectionsLayout {
            focus: true
            model: rootModel
        }
    }

    SectionsSheet {
        model: rootModel
        onAboutRequested: about.open()
    }

    AboutDialog {
        id: about
    }

    NoticeAlert {
        model: rootModel
    }

    Shortcut {
        sequence: "Ctrl+K"
        context: Qt.WindowShortcut
        enabled: rootModel.screen === RootViewModel.Sections
        onActivated: rootModel.openSections()
    }
    Shortcut {
        sequence: "F1"
        context: Qt.WindowShortcut
        onActivated: about.open()
    }
}
