import QtQuick

// Keeps the keyboard in a list whose rows can go away: when the row that holds the focus is
// removed (deleted here, or gone from the service's new list), the row now in its place takes
// it (the new last row when it was the last), or `fallback` once the list is empty. A row names
// the control that takes the focus as its `focusTarget`. Wire it to the Repeater's itemRemoved.
QtObject {
    required property Repeater repeater
    property Item fallback: null

    function rowRemoved(index, item) {
        let focused = item.Window.activeFocusItem
        while (focused && focused !== item)
            focused = focused.parent
        if (focused)
            Qt.callLater(give, index)
    }

    function give(index) {
        const count = repeater.count
        const row = count > 0 ? repeater.itemAt(Math.min(index, count - 1)) : null
        const target = row ? row.focusTarget : fallback
        if (target)
            target.forceActiveFocus(Qt.TabFocusReason)
    }
}
