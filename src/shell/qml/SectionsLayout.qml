import QtQuick
import VexaAI.Style
import VexaAI.Shell

// The signed-in layout: at regular width the sidebar on the left and the section's screen
// beside it; at compact width the screen above the dock. The screen stays the same item when
// the window crosses the width limit, so its state survives a resize.
Item {
    id: layout
    objectName: "sectionsLayout"

    required property RootViewModel model

    WindowMemory {
        id: memory
    }

    Sidebar {
        id: sidebar
        visible: layout.model.regular
        width: memory.sidebarWidth
        height: parent.height
        model: layout.model
    }

    // Dragging the sidebar's edge widens or narrows it; the width is kept for the next launch.
    MouseArea {
        objectName: "sidebarResizer"
        visible: sidebar.visible
        x: sidebar.width - width / 2
        width: 8
        height: parent.height
        z: 1
        cursorShape: Qt.SplitHCursor
        onPositionChanged: mouse => {
            if (pressed)
                memory.sidebarWidth = mapToItem(layout, mouse.x, 0).x
        }
    }

    SectionPage {
        objectName: "sectionPage"
        x: layout.model.regular ? sidebar.width : 0
        width: parent.width - x
        height: layout.model.regular ? parent.height : dock.y
        document: layout.model.selectionDocument
        selection: layout.model.selection
    }

    // Made the first time the window is narrow: a wide window never builds (or compiles) the
    // dock it hides.
    LatchedLoader {
        id: dock
        visible: !layout.model.regular
        wanted: !layout.model.regular
        width: parent.width
        y: parent.height - height
        document: "qrc:/qt/qml/VexaAI/Shell/Dock.qml"
        initialProperties: ({model: layout.model})
    }
}
