import QtQuick

// Keeps the keyboard in sight on a scrolling page: whenever the window's focus moves to an item
// inside `content`, `flickable` scrolls just enough to show it, `margin` clear of the edges (an
// item taller than the view shows its top). Put one anywhere in the page:
//   FocusFollower { flickable: page; content: column }
// For a ScrollView, its contentItem is the Flickable. In a ListView (content: its contentItem)
// the focus inside the current row is left to the view to place, after it has laid out: a row
// made just for the focus may not have its place yet, and measuring it then scrolls wrong.
Item {
    id: follower

    required property Flickable flickable
    required property Item content
    property real margin: 12

    function reveal(item) {
        const flick = follower.flickable
        if (!item || !item.activeFocus || !flick || !flick.contentItem || !follower.holds(item))
            return
        if (follower.inCurrentRow(item)) {
            flick.positionViewAtIndex(flick.currentIndex, ListView.Contain)
        } else {
            // A list places the rows it makes for the new position only when it lays out, which
            // can move the item again (its heights are estimates until then): measure again,
            // until it stays (each pass makes the rows of one more screen, so this ends quickly).
            for (let pass = 0; pass < 10; ++pass) {
                if (!follower.scrollTo(item) || flick.forceLayout === undefined)
                    break
                flick.forceLayout()
            }
        }
        // A list may still move under it a moment later (rows above it taking their real
        // heights, the estimates corrected): for a short while, the item is brought back.
        if (flick.forceLayout !== undefined) {
            follower.held = item
            settling.restart()
        }
    }
    property Item held: null
    // Scrolls so that `item` shows; false when it already did.
    function scrollTo(item) {
        const flick = follower.flickable
        const top = item.mapToItem(flick.contentItem, 0, 0).y
        const bottom = top + item.height
        const first = flick.originY
        const last = flick.originY + Math.max(0, flick.contentHeight - flick.height)
        let y = flick.contentY
        if (top < y + follower.margin)
            y = top - follower.margin
        else if (bottom > y + flick.height - follower.margin)
            y = Math.min(top - follower.margin, bottom - flick.height + follower.margin)
        y = Math.max(first, Math.min(last, y))
        if (Math.abs(y - flick.contentY) < 0.5)
            return false
        flick.contentY = y
        return true
    }
    function holds(item) {
        for (let at = item; at; at = at.parent) {
            if (at === follower.content)
                return true
        }
        return false
    }
    function inCurrentRow(item) {
        const row = follower.flickable.currentItem
        if (!row || follower.flickable.positionViewAtIndex === undefined)
            return false
        for (let at = item; at; at = at.parent) {
            if (at === row)
                return true
        }
        return false
    }

    Timer {
        id: settling
        interval: 600
        onTriggered: follower.held = null
    }
    Connections {
        target: follower.held ? follower.flickable : null
        function onContentYChanged() { follower.recheck() }
        function onOriginYChanged() { follower.recheck() }
        function onContentHeightChanged() { follower.recheck() }
    }
    function recheck() {
        const item = follower.held
        if (item && item.activeFocus && settling.running)
            Qt.callLater(follower.settle, item)
    }
    function settle(item) {
        if (item !== follower.held || !item.activeFocus)
            return
        if (follower.inCurrentRow(item))
            follower.flickable.positionViewAtIndex(follower.flickable.currentIndex, ListView.Contain)
        else
            follower.scrollTo(item)
    }

    Connections {
        target: follower.Window.window
        function onActiveFocusItemChanged() {
            const item = follower.Window.activeFocusItem
            if (!follower.holds(item))
                return
            if (follower.flickable.positionViewAtIndex !== undefined)
                Qt.callLater(follower.reveal, item) // a list: after it has laid out
            else
                follower.reveal(item)
        }
    }
}
