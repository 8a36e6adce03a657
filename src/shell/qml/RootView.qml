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

    // The sections sheet and "О приложении" are made the first time they are asked for and kept
    // from then on: neither is on screen at launch, and making them would delay the first frame.
    LatchedLoader {
        id: sectionsSheet
        wanted: rootModel.showingSections
        sourceComponent: Item {
            SectionsSheet {
                model: rootModel
                onAboutRequested: root.openAbout()
                // Asked for before it existed: the sheet missed the change it opens on.
                Component.onCompleted: if (rootModel.showingSections) open()
            }
        }
    }

    Loader {
        id: about
        active: false
        sourceComponent: Item {
            property alias dialog: dialog
            AboutDialog {
                id: dialog
            }
        }
    }

    function openAbout() {
        about.active = true
        about.item.dialog.open()
    }

    // Made with the first notice and kept from then on (it opens itself when made with one).
    LatchedLoader {
        id: noticeAlert
        wanted: rootModel.hasNotice
        sourceComponent: Item {
            NoticeAlert {
                model: rootModel
            }
        }
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
        onActivated: root.openAbout()
    }
}
