import QtQuick
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Chat

// The chat screen: header, the search bar when open, the messages (or the welcome panel),
// and the composer. Files dropped anywhere on it are attached. Ctrl+N starts a new chat,
// Ctrl+F opens the search, Esc closes it.
Item {
    id: view
    objectName: "chatView"

    // Works on the application's client; a host may hand in another view-model.
    property ChatViewModel viewModel: ChatViewModel {}
    readonly property bool narrow: width < 640

    Component.onDestruction: viewModel.disappear()
    onVisibleChanged: if (!visible) viewModel.disappear()

    function share(text, returnFocus) {
        const menu = view.shareMenu()
        menu.sharedText = text
        menu.returnFocus = returnFocus
        menu.popup()
    }

    // The menus, dialogs and sheets below are made the first time they are asked for and kept
    // from then on: none is on screen when the chat opens, and making them all (Qt's file
    // dialogs above all) held up the first frame of the signed-in window.
    // By address, so that each is compiled (with the controls it uses) only then as well.
    property QtObject sharedMenu: null
    function shareMenu() {
        if (!sharedMenu) {
            const menu = Qt.createComponent("qrc:/qt/qml/VexaAI/Style/ShareMenu.qml")
                .createObject(view, {objectName: "shareMenu"})
            menu.copyRequested.connect(() => view.viewModel.copyText(menu.sharedText))
            menu.saveRequested.connect(() => view.saveText(menu.sharedText))
            menu.mailRequested.connect(() => view.viewModel.shareByMail(menu.sharedText))
            sharedMenu = menu
        }
        return sharedMenu
    }
    function saveText(text) {
        dialogs.active = true
        dialogs.item.saveText(text)
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        ChatHeader {
            Layout.fillWidth: true
            Layout.margins: 12
            Layout.bottomMargin: 8
            viewModel: view.viewModel
            narrow: view.narrow
            onShareRequested: view.share(view.viewModel.conversationExport, null)
        }
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 1
            color: VexaTheme.separator
        }
        // Made the first time the search is opened and kept from then on.
        LatchedLoader {
            id: searchBar
            Layout.fillWidth: true
            Layout.leftMargin: 16
            Layout.rightMargin: 12
            Layout.preferredHeight: view.viewModel.searchVisible && item ? item.implicitHeight : 0
            opacity: view.viewModel.searchVisible ? 1 : 0
            visible: Layout.preferredHeight > 0
            clip: true
            wanted: view.viewModel.searchVisible
            sourceComponent: ChatSearchBar {
                viewModel: view.viewModel
            }
            function focusField() {
                latch()
                item.focusField()
            }
            Behavior on Layout.preferredHeight { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
            Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
        }
        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            MessageList {
                id: messages
                anchors.fill: parent
                visible: view.viewModel.hasEntries
                viewModel: view.viewModel
                onShareRequested: (text, returnFocus) => view.share(text, returnFocus)
            }
            JumpToEndButton {
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                anchors.margins: 16
                visible: messages.visible && !messages.pinnedToEnd
                onClicked: messages.scrollToEnd(true)
            }
            // Made only while the chat is empty: a chat that opens with messages does not build
            // the greeting and its prompt buttons it would hide.
            Loader {
                anchors.fill: parent
                active: !view.viewModel.hasEntries
                sourceComponent: WelcomePanel {
                    viewModel: view.viewModel
                }
            }
        }
        Composer {
            id: composer
            Layout.fillWidth: true
            Layout.maximumWidth: 900
            Layout.alignment: Qt.AlignHCenter
            Layout.margins: 12
            viewModel: view.viewModel.composer
            onPhotoPickerRequested: view.viewModel.showingPhotoPicker = true
            onFilePickerRequested: view.viewModel.showingFilePicker = true
        }
    }

    DropArea {
        anchors.fill: parent
        keys: ["text/uri-list"]
        onDropped: drop => {
            if (view.viewModel.composer.attachDropped(drop.urls))
                drop.acceptProposedAction()
        }
    }

    Shortcut {
        sequences: VexaShortcuts.keys("chat.new")
        enabled: view.visible && view.viewModel.canCreateChat
        onActivated: view.viewModel.createChat()
    }
    Shortcut {
        sequences: VexaShortcuts.keys("chat.find")
        enabled: view.visible
        onActivated: {
            view.viewModel.searchVisible = true
            searchBar.focusField()
        }
    }
    // The chat's text size; "Ctrl+=" is also Ctrl with the "+" key's unshifted face.
    Shortcut {
        sequences: VexaShortcuts.keys("chat.zoomIn")
        enabled: view.visible
        onActivated: view.viewModel.zoomText(1)
    }
    Shortcut {
        sequences: VexaShortcuts.keys("chat.zoomOut")
        enabled: view.visible
        onActivated: view.viewModel.zoomText(-1)
    }
    Shortcut {
        sequences: VexaShortcuts.keys("chat.zoomReset")
        enabled: view.visible
        onActivated: view.viewModel.zoomText(0)
    }
    Shortcut {
        sequences: VexaShortcuts.keys("chat.closeFind")
        enabled: view.visible && view.viewModel.searchVisible
        onActivated: view.viewModel.searchVisible = false
    }

    Connections {
        target: view.viewModel
        function onSearchVisibleChanged() {
            if (view.viewModel.searchVisible)
                searchBar.focusField()
        }
    }

    // The pickers open as they are made when a picker was asked for. By address, so that the
    // desktop's dialog module is loaded then rather than with the chat.
    LatchedLoader {
        id: dialogs
        wanted: view.viewModel.showingPhotoPicker || view.viewModel.showingFilePicker
        onActiveChanged: if (active) setSource("qrc:/qt/qml/VexaAI/Chat/ChatDialogs.qml",
                                               { viewModel: view.viewModel })
    }
    // "Мои чаты": made the first time it is asked for and kept.
    property QtObject chatList: null
    function makeChatList() {
        if (!viewModel.showingChats || chatList)
            return
        chatList = Qt.createComponent("qrc:/qt/qml/VexaAI/Chat/ChatListSheet.qml").createObject(view)
        chatList.visible = Qt.binding(() => view.viewModel.showingChats)
        // The sheet may outlive the view by a moment as the window is torn down, and close then.
        chatList.closed.connect(() => {
            if (view && view.viewModel)
                view.viewModel.showingChats = false
        })
    }
    Connections {
        target: view.viewModel
        function onShowingChatsChanged() { view.makeChatList() }
    }
    Component.onCompleted: makeChatList()
    // Made when opened and gone when closed: the conversation owns a microphone and a speaker.
    // By address, so that the voice screens are compiled only when a conversation first opens.
    Loader {
        id: voiceConversation
        active: view.viewModel.showingVoiceConversation
        source: "qrc:/qt/qml/VexaAI/Chat/VoiceConversationHost.qml"
    }
    Connections {
        target: voiceConversation.item
        function onClosed() { view.viewModel.showingVoiceConversation = false }
    }
    // Made the first time it is shown and kept from then on; by address, like the conversation.
    LatchedLoader {
        id: utilities
        wanted: view.viewModel.showingUtilities
        source: "qrc:/qt/qml/VexaAI/Chat/UtilitiesHost.qml"
    }
    Binding {
        target: utilities.item
        when: utilities.item !== null
        property: "showing"
        value: view.viewModel.showingUtilities
    }
    Connections {
        target: utilities.item
        function onClosed() { view.viewModel.showingUtilities = false }
    }
}
