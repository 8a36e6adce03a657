import QtQuick
import VexaAI.Code
import QtQuick.Controls

// Scrolls the code editor and keeps its cursor in sight. The editor is a child with its width and
// height bound to `editorWidth` and `editorHeight`, and is told which part of it is in view:
//     CodeScroller { id: flick; editor: edit; CodeEditorView { id: edit; width: flick.editorWidth; … } }
// The editor draws only what is in view and lays out only the lines it draws, so its size may
// follow the text at every key.
Flickable {
    id: flick

    required property CodeEditorView editor
    readonly property real textWidth: editor.contentWidth + editor.leftPadding + editor.rightPadding
    // Room kept past the cursor when it is followed.
    property real margin: 24
    readonly property real editorWidth: Math.max(flick.width, textWidth + margin)
    readonly property real editorHeight: Math.max(flick.height, editor.contentHeight + editor.topPadding
                                                                + editor.bottomPadding)
    // The cursor's rectangle in view, whatever moved it (typing, the keys, a match found).
    function follow() {
        const r = flick.editor.cursorRectangle
        const x = r.x + flick.editor.x, y = r.y + flick.editor.y
        if (x < flick.contentX + flick.margin)
            flick.contentX = Math.max(0, x - flick.margin)
        else if (x + r.width > flick.contentX + flick.width - flick.margin)
            flick.contentX = Math.min(Math.max(0, flick.contentWidth - flick.width), x + r.width - flick.width + flick.margin)
        // A line of context above and below the cursor's.
        const above = y - r.height, below = y + 2 * r.height
        if (above < flick.contentY)
            flick.contentY = Math.max(0, above)
        else if (below > flick.contentY + flick.height)
            flick.contentY = Math.min(Math.max(0, flick.contentHeight - flick.height), below - flick.height)
    }

    clip: true
    boundsBehavior: Flickable.StopAtBounds
    contentWidth: editorWidth
    contentHeight: editorHeight
    ScrollBar.vertical: ScrollBar {}
    ScrollBar.horizontal: ScrollBar {}

    Connections {
        target: flick.editor
        function onCursorRectangleChanged() { flick.follow() }
    }
}
