import QtQuick
import QtQuick.Controls
import VexaAI.Chat
import VexaAI.Style

// A message's menu. Copying and sharing for every message; saving, reading aloud and asking
// about it for Vexa's answers only. One menu serves the whole list.
Menu {
    id: menu
    objectName: "messageMenu"

    required property ChatViewModel viewModel
    property string entryID
    property bool isUser
    property string messageText
    signal shareRequested(string text, Item returnFocus)
    // Where the keyboard goes back to when the menu closes; a share menu opened from here
    // gives it back there too.
    readonly property PopupFocusReturn focusReturn: PopupFocusReturn {}
    onClosed: focusReturn.restore()

    // Opens at the mouse; from the keyboard, at the top of the message (a card item).
    function openFor(id, user, text, card) {
        entryID = id
        isUser = user
        messageText = text
        if (card)
            popup(card, 24, Math.min(card.height / 2, 24))
        else
            popup()
    }

    ChatMenuItem {
        text: "Копировать"
        symbol: "doc.on.doc"
        onTriggered: menu.viewModel.copyEntry(menu.entryID)
    }
    ChatMenuItem {
        text: "Поделиться"
        symbol: "square.and.arrow.up"
        onTriggered: menu.shareRequested(menu.messageText, menu.focusReturn.target)
    }
    ChatMenuItem {
        text: "Сохранить во Vexa"
        symbol: "star"
        visible: !menu.isUser
        enabled: !menu.isUser // hidden items are still reached by the arrow keys unless disabled
        height: visible ? implicitHeight : 0
        onTriggered: menu.viewModel.saveEntry(menu.entryID)
    }
    ChatMenuItem {
        text: "Озвучить"
        symbol: "speaker.wave.2"
        visible: !menu.isUser
        enabled: !menu.isUser // hidden items are still reached by the arrow keys unless disabled
        height: visible ? implicitHeight : 0
        onTriggered: menu.viewModel.speakEntry(menu.entryID)
    }
    ChatMenuItem {
        text: "Уточнить ответ"
        symbol: "arrowshape.turn.up.left"
        visible: !menu.isUser
        enabled: !menu.isUser // hidden items are still reached by the arrow keys unless disabled
        height: visible ? implicitHeight : 0
        onTriggered: menu.viewModel.quoteEntry(menu.entryID)
    }
}
