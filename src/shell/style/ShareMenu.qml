import QtQuick
import QtQuick.Controls
import VexaAI.Style

// The app's one share menu: where a text (or a picture) can go from here — the clipboard, a file,
// or a new mail (texts only). Each screen names the entries for what it shares, opens the menu
// with popup() and does the work in its handlers. The keyboard goes back to `returnFocus` (when
// set) once the menu closes, unless something else took it in the meantime (the save dialog).
Menu {
    id: menu
    objectName: "shareMenu"

    // What a text share carries, for hosts that share more than one text through one menu.
    property string sharedText
    property string copyTitle: "Скопировать текст"
    property string saveTitle: "Сохранить в файл…"
    // A picture goes to the clipboard or a file only.
    property bool offersMail: true
    property Item returnFocus: null

    signal copyRequested()
    signal saveRequested()
    signal mailRequested()

    // The arrows start from the top each time, whatever was taken last.
    onAboutToShow: menu.currentIndex = -1
    onClosed: {
        const target = menu.returnFocus
        menu.returnFocus = null
        if (target) {
            const focused = target.Window.activeFocusItem
            if (!focused || focused === target.Window.contentItem)
                target.forceActiveFocus()
        }
    }

    component Entry: MenuItem {
        id: entry
        property string symbol
        Accessible.name: text
        contentItem: Row {
            spacing: 12
            leftPadding: 4
            opacity: entry.enabled ? 1 : 0.4
            VexaIcon {
                anchors.verticalCenter: parent.verticalCenter
                symbol: entry.symbol
                size: 18
                color: VexaTheme.textSecondary
            }
            Text {
                textFormat: Text.PlainText
                anchors.verticalCenter: parent.verticalCenter
                text: entry.text
                color: VexaTheme.textPrimary
                font.pixelSize: VexaTheme.bodySize
            }
        }
    }

    Entry {
        objectName: "shareCopy"
        text: menu.copyTitle
        symbol: "doc.on.doc"
        onTriggered: menu.copyRequested()
    }
    Entry {
        objectName: "shareSave"
        text: menu.saveTitle
        symbol: "square.and.arrow.down"
        onTriggered: menu.saveRequested()
    }
    Entry {
        objectName: "shareMail"
        text: "Отправить по почте"
        symbol: "envelope"
        // Hidden entries are still reached by the arrows unless they are disabled too.
        visible: menu.offersMail
        enabled: menu.offersMail
        height: visible ? implicitHeight : 0
        onTriggered: menu.mailRequested()
    }
}
