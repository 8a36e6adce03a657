import QtQuick

// Gives the keyboard back to an item when a popup closes, unless something else took it in
// the meantime (another popup, or the composer).
QtObject {
    property Item target: null

    function restore() {
        if (target) {
            const focused = target.Window.activeFocusItem
            if (!focused || focused === target.Window.contentItem)
                target.forceActiveFocus()
        }
        target = null
    }
}
