import QtQuick
import VexaAI.Chat

// The message list from the keyboard. Up and Down go to the previous or next message, Home and
// End to the first or last, Page Up and Page Down a screen at a time; the menu key or
// Shift+F10 opens the message's menu, Ctrl+C copies the message and Ctrl+Shift+C its code,
// Enter opens its picture.
QtObject {
    id: keys

    required property ListView list
    required property ChatViewModel viewModel
    signal menuRequested(Item bubble)
    signal endRequested()

    // Taking the focus, the list keeps its current message if it is on screen; otherwise the
    // message at the bottom of the screen becomes current (the view may have scrolled, or the
    // messages changed, since).
    function enter() {
        const item = list.currentItem
        if (item && item.y + item.height > list.contentY && item.y < list.contentY + list.height)
            return
        list.currentIndex = visibleIndex(false)
    }

    // The message nearest the bottom (or the top) of what is on screen.
    function visibleIndex(fromTop) {
        if (list.count === 0)
            return -1
        for (let step = 8; step < list.height; step += 12) {
            const y = fromTop ? list.contentY + step : list.contentY + list.height - step
            const index = list.indexAt(list.contentX + list.width / 2, y)
            if (index >= 0)
                return index
        }
        return fromTop ? 0 : list.count - 1
    }

    function moveTo(index) {
        if (list.count === 0)
            return
        list.currentIndex = Math.max(0, Math.min(index, list.count - 1))
        list.positionViewAtIndex(list.currentIndex, ListView.Contain)
    }

    function page(direction) {
        const top = list.originY - list.topMargin
        const bottom = Math.max(top, list.originY + list.contentHeight + list.bottomMargin - list.height)
        list.contentY = Math.max(top, Math.min(bottom, list.contentY + direction * list.height * 0.9))
        list.currentIndex = visibleIndex(direction < 0)
    }

    function handle(event) {
        const current = list.currentItem
        const shift = (event.modifiers & Qt.ShiftModifier) !== 0
        const control = (event.modifiers & Qt.ControlModifier) !== 0
        event.accepted = true
        if (event.key === Qt.Key_Up && !control)
            moveTo(list.currentIndex - 1)
        else if (event.key === Qt.Key_Down && !control)
            moveTo(list.currentIndex + 1)
        else if (event.key === Qt.Key_Home)
            moveTo(0)
        else if (event.key === Qt.Key_End) {
            list.currentIndex = list.count - 1
            endRequested()
        } else if (event.key === Qt.Key_PageUp)
            page(-1)
        else if (event.key === Qt.Key_PageDown)
            page(1)
        else if (current && (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && shift)))
            menuRequested(current)
        else if (current && control && shift && event.key === Qt.Key_C)
            viewModel.copyEntryCode(current.model.entryID)
        else if (current && current.hasImage
                 && (event.key === Qt.Key_Return || event.key === Qt.Key_Enter))
            viewModel.openImage(current.model.imageSource)
        else if (current && event.matches(StandardKey.Copy))
            viewModel.copyEntry(current.model.entryID)
        else
            event.accepted = false
    }
}
