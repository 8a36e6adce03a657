import QtQuick

// Keeps the keyboard in sight on a scrolling page: whenever the window's focus moves to an item
// inside `content`, `flickable` scrolls just enough to show it, `margin` clear of the edges (an
// item taller than the view shows its top). Put one anywhere in the page:
//   FocusFollower { flickable: page; content: column }
// For a ScrollView, its contentItem is the Flickable.
Item {
    id: follower

    required property Flickable flickable
    required property Item content
    property real margin: 12

    function reveal(item) {
        const flick = follower.flickable
        if (!item || !flick || !flick.contentItem || !follower.holds(item))
            return
        const top = item.mapToItem(flick.contentItem, 0, 0).y
        const bottom = top + item.height
        const last = Math.max(0, flick.contentHeight - flick.height)
        if (top < flick.contentY + follower.margin)
            flick.contentY = Math.max(0, top - follower.margin)
        else if (bottom > flick.contentY + flick.height - follower.margin)
            flick.contentY = Math.min(last, Math.min(top - follower.margin,
                                                     bottom - flick.height + follower.margin))
    }
    function holds(item) {
        for (let at = item; at; at = at.parent) {
            if (at === follower.content)
                return true
        }
        return false
    }

    Connections {
        target: follower.Window.window
        function onActiveFocusItemChanged() { follower.reveal(follower.Window.activeFocusItem) }
    }
}
