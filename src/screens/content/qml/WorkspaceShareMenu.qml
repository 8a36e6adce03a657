import QtQuick
import QtQuick.Controls
import VexaAI.Chat

// Where a saved answer can go: the clipboard or a new mail. The keyboard returns to where it
// was when the menu closes.
Menu {
    id: menu

    signal copyRequested()
    signal mailRequested()
    readonly property PopupFocusReturn focusReturn: PopupFocusReturn {}
    onClosed: focusReturn.restore()

    MenuItem {
        text: "Скопировать текст"
        onTriggered: menu.copyRequested()
    }
    MenuItem {
        text: "Отправить по почте"
        onTriggered: menu.mailRequested()
    }
}
