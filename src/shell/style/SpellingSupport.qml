import QtQuick
import VexaAI.Spell
import VexaAI.Style

// Spelling for a text area: misspelled words underlined, and their menu (SpellingMenu) on a right
// click, the menu key or Shift+F10 at the cursor. Put it inside the area; the area's key handler
// calls handleKey(event) first. `checking: false` turns it off for one field.
Item {
    id: support
    objectName: "spellingSupport"

    required property TextEdit area
    property alias checking: check.enabled
    readonly property alias spellCheck: check
    // Made (and compiled, by address) the first time it opens: every text field has one, and
    // most never show it.
    property QtObject menu: null

    anchors.fill: parent

    // Opens the menu when a misspelled word is at `position`; x and y where it appears.
    function openAt(position, x, y) {
        const found = check.misspelledAt(position)
        if (found.word === undefined)
            return false
        if (!menu)
            menu = Qt.createComponent("qrc:/qt/qml/VexaAI/Style/SpellingMenu.qml").createObject(support, {check: check})
        menu.returnFocus = support.area
        menu.openFor(found, x, y)
        return true
    }

    // The menu key and Shift+F10 open the menu of the word at the cursor; accepts the event then.
    function handleKey(event) {
        const menuKey = event.key === Qt.Key_Menu
                || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))
        if (!menuKey)
            return false
        const caret = support.area.cursorRectangle
        event.accepted = openAt(support.area.cursorPosition, caret.x, caret.y + caret.height)
        return event.accepted
    }

    SpellCheck {
        id: check
        document: support.area.textDocument
        cursorPosition: support.area.cursorPosition
        underlineColor: VexaTheme.error
    }

    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: eventPoint => {
            const p = eventPoint.position
            support.openAt(support.area.positionAt(p.x, p.y), p.x, p.y)
        }
    }
}
