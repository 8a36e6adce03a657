import QtQuick
import QtQuick.Controls
import VexaAI.Chat

// "Действия с чатом": tools, search, and for a chat with messages sharing and copying it.
Menu {
    id: menu

    required property ChatViewModel viewModel
    signal shareRequested()

    ChatMenuItem {
        objectName: "utilitiesItem"
        text: "История, файлы и уведомления"
        symbol: "tray.full"
        onTriggered: menu.viewModel.showingUtilities = true
    }
    ChatMenuItem {
        objectName: "searchItem"
        text: "Поиск в чате"
        symbol: "magnifyingglass"
        onTriggered: menu.viewModel.toggleSearch()
    }
    ChatMenuItem {
        objectName: "shareItem"
        text: "Поделиться диалогом"
        symbol: "square.and.arrow.up"
        // Hidden items are still reached by the arrow keys unless disabled too.
        visible: menu.viewModel.hasEntries
        enabled: menu.viewModel.hasEntries
        height: visible ? implicitHeight : 0
        onTriggered: menu.shareRequested()
    }
    ChatMenuItem {
        objectName: "copyItem"
        text: "Скопировать диалог"
        symbol: "doc.on.doc"
        visible: menu.viewModel.hasEntries
        enabled: menu.viewModel.hasEntries
        height: visible ? implicitHeight : 0
        onTriggered: menu.viewModel.copyConversation()
    }
}
