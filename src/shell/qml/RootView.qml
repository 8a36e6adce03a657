import QtQuick
import QtQuick.Controls
import QtQuick.Window
import VexaAI.Style
import VexaAI.Shell

// The root of the window: the backdrop, then the waiting screen, the sign-in screen or the
// sections, plus the sections sheet and the notice alert above them.
Item {
    id: root
    objectName: "rootView"

    readonly property RootViewModel model: rootModel

    RootViewModel {
        id: rootModel
        width: root.width
    }

    VexaBackground {
        anchors.fill: parent
    }

    // Each screen, sheet and alert is named by its document's address, not by type: a type named
    // here (even inside a Component) would be compiled with the window, with every control it
    // uses, before the first frame. By address, only what is shown is compiled, when it is.
    readonly property string documents: "qrc:/qt/qml/VexaAI/Shell/"

    Loader {
        id: screenLoader
        objectName: "screenLoader"
        anchors.fill: parent
        focus: true

        readonly property int screen: rootModel.screen
        // The window stays hidden until the session's answer is in (or a deadline passes): the
        // waiting screen is made only if it is ever on screen.
        readonly property bool shown: root.Window.window ? root.Window.window.visible : false
        onScreenChanged: show()
        onShownChanged: show()
        Component.onCompleted: show()

        function show() {
            let document = "SectionsLayout.qml"
            if (screen === RootViewModel.Waiting)
                document = shown ? "WaitingView.qml" : ""
            else if (screen === RootViewModel.SignIn)
                document = "LoginView.qml"
            if (document === "" || source.toString() === root.documents + document)
                return
            setSource(root.documents + document,
                      screen === RootViewModel.Sections ? {focus: true, model: rootModel} : {focus: true})
        }
    }

    // The sections sheet, "О приложении" and the notice alert are made the first time they are
    // asked for and kept from then on.
    Item {
        id: popupHost
    }
    property QtObject sectionsSheet: null
    property QtObject aboutDialog: null
    property QtObject shortcutsSheet: null
    property QtObject noticeAlert: null

    function make(document, properties) {
        const component = Qt.createComponent(root.documents + document)
        const made = component.createObject(popupHost, properties)
        if (!made)
            console.warn(component.errorString())
        return made
    }

    function openSections() {
        if (!sectionsSheet) {
            sectionsSheet = make("SectionsSheet.qml", {model: rootModel})
            sectionsSheet.aboutRequested.connect(root.openAbout)
            // Asked for before it existed: the sheet missed the change it opens on.
            sectionsSheet.open()
        }
    }

    function openAbout() {
        if (!aboutDialog) {
            aboutDialog = make("AboutDialog.qml", {})
            aboutDialog.shortcutsRequested.connect(root.openShortcuts)
        }
        aboutDialog.open()
    }

    function openShortcuts() {
        if (!shortcutsSheet)
            shortcutsSheet = make("ShortcutsSheet.qml", {})
        shortcutsSheet.open()
    }

    Connections {
        target: rootModel
        function onShowingSectionsChanged() {
            if (rootModel.showingSections)
                root.openSections()
        }
        // Made with the first notice (it opens itself when made with one).
        function onHasNoticeChanged() {
            if (rootModel.hasNotice && !root.noticeAlert)
                root.noticeAlert = root.make("NoticeAlert.qml", {model: rootModel})
        }
        // The precompiled documents are let go once the waiting is over.
        function onScreenChanged() {
            if (rootModel.screen !== RootViewModel.Waiting)
                root.precompiled = []
        }
    }
    // While the session's answer is awaited (at launch, the network's and the decoding threads'
    // time), the sections and the selected section's screen are compiled on the QML loader's
    // thread: a returning user's screens are then made at once when the answer comes. Held
    // until the sections are shown, so the compiled documents stay cached till then.
    // (A `list<Component>` here does not build: Qt 6.4's qmlcachegen writes C++ for it that
    // does not compile.)
    property var precompiled: []
    function precompileSections() {
        precompiled = [Qt.createComponent(documents + "SectionsLayout.qml", Component.Asynchronous),
                       Qt.createComponent(rootModel.selectionDocument, Component.Asynchronous)]
    }

    // A session kept in the keyring is known a moment after the window started loading: the
    // chats are asked for (and the sections worth compiling) only once it is.
    Connections {
        target: rootModel.client
        function onChatsLoadingChanged() {
            if (rootModel.screen === RootViewModel.Waiting && rootModel.client.chatsLoading
                    && root.precompiled.length === 0)
                root.precompileSections()
        }
    }

    Component.onCompleted: {
        // Only for a returning user: the chats are on their way with the state when the client
        // has a session to send. A new user's sign-in screen does not queue behind them.
        if (rootModel.screen === RootViewModel.Waiting && rootModel.client && rootModel.client.chatsLoading)
            precompileSections()
        if (rootModel.showingSections)
            openSections()
        if (rootModel.hasNotice)
            noticeAlert = make("NoticeAlert.qml", {model: rootModel})
    }

    Shortcut {
        sequences: VexaShortcuts.keys("app.sections")
        context: Qt.WindowShortcut
        enabled: rootModel.screen === RootViewModel.Sections
        onActivated: rootModel.openSections()
    }
    Shortcut {
        sequences: VexaShortcuts.keys("app.about")
        context: Qt.WindowShortcut
        onActivated: root.openAbout()
    }
    // The code editor keeps Ctrl+/ for its comments while it has the focus.
    Shortcut {
        sequences: VexaShortcuts.keys("app.shortcuts")
        context: Qt.WindowShortcut
        onActivated: root.openShortcuts()
    }
}
