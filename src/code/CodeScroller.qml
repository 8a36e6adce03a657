import QtQuick
import QtQuick.Controls

// Scrolls the code editor and keeps its cursor in sight. The editor is a child with its width and
// height bound to `editorWidth` and `editorHeight`:
//     CodeScroller { id: flick; editor: edit; TextArea { id: edit; width: flick.editorWidth; … } }
// The editor's width grows in steps (doubling) and shrinks only when the text is far narrower,
// instead of following the longest line: Qt lays the whole document out again whenever a text
// item's width changes, and in a 50,000-line file that is most of a second at every key typed
// at the end of the longest line. The scrolling extent still follows the text itself.
Flickable {
    id: flick

    required property TextEdit editor
    readonly property real textWidth: editor.contentWidth + editor.leftPadding + editor.rightPadding
    property real editorWidth: flick.width
    readonly property real editorHeight: Math.max(flick.height, editor.contentHeight + editor.topPadding
                                                                + editor.bottomPadding)
    // Room kept past the cursor when it is followed.
    property real margin: 24

    function fitWidth() {
        const step = 1024
        let target = Math.max(flick.width, step)
        while (target < flick.textWidth + flick.margin)
            target *= 2
        if (target > flick.editorWidth || target * 4 <= flick.editorWidth || flick.editorWidth < flick.width)
            flick.editorWidth = Math.max(flick.width, target)
    }
    // The cursor's rectangle in view, whatever moved it (typing, the keys, a match found).
    function follow() {
        const r = flick.editor.cursorRectangle
        const x = r.x + flick.editor.x, y = r.y + flick.editor.y
        if (x < flick.contentX + flick.margin)
            flick.contentX = Math.max(0, x - flick.margin)
        else if (x + r.width > flick.contentX + flick.width - flick.margin)
            flick.contentX = Math.min(Math.max(0, flick.contentWidth - flick.width), x + r.width - flick.width + flick.margin)
        // A line of context above and below the cursor's: the text item does not draw a line
        // that only touches the edge of the view, which is where the cursor's line would sit.
        const above = y - r.height, below = y + 2 * r.height
        if (above < flick.contentY)
            flick.contentY = Math.max(0, above)
        else if (below > flick.contentY + flick.height)
            flick.contentY = Math.min(Math.max(0, flick.contentHeight - flick.height), below - flick.height)
    }

    clip: true
    boundsBehavior: Flickable.StopAtBounds
    contentWidth: Math.max(flick.width, textWidth + margin)
    contentHeight: editorHeight
    ScrollBar.vertical: ScrollBar {}
    ScrollBar.horizontal: ScrollBar {}
    onTextWidthChanged: fitWidth()
    onWidthChanged: fitWidth()
    Component.onCompleted: fitWidth()

    Connections {
        target: flick.editor
        function onCursorRectangleChanged() { flick.follow() }
    }
}
