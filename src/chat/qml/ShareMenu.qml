import QtQuick
import QtQuick.Controls
import VexaAI.Chat

// Where a text can go from here: the clipboard, a text file, or a new mail.
Menu {
    id: menu

    required property ChatViewModel viewModel
    property string sharedText
    // The item that had the keyboard before (when known) has it again after.
    readonly property PopupFocusReturn focusReturn: PopupFocusReturn {}
    onClosed: focusReturn.restore()
    // The view asks for a file name, then writes the text there.
    signal saveRequested(string text)

    ChatMenuItem {
        text: "Скопировать текст"
        symbol: "doc.on.doc"
        onTriggered: menu.viewModel.copyText(menu.sharedText)
    }
    ChatMenuItem {
        text: "Сохранить в файл…"
        symbol: "square.and.arrow.down"
        onTriggered: menu.saveRequested(menu.sharedText)
    }
    ChatMenuItem {
        text: "Отправить по почте"
        symbol: "envelope"
        onTriggered: menu.viewModel.shareByMail(menu.sharedText)
    }
}
