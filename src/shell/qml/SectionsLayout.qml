import QtQuick
import VexaAI.Shell

// The signed-in layout: at regular width the sidebar on the left and the section's screen
// beside it; at compact width the screen above the dock. The screen stays the same item when
// the window crosses the width limit, so its state survives a resize.
Item {
    id: layout
    objectName: "sectionsLayout"

    required property RootViewModel model

    Sidebar {
        id: sidebar
        visible: layout.model.regular
        width: 280
        height: parent.height
        model: layout.model
    }

    SectionPage {
        objectName: "sectionPage"
        x: layout.model.regular ? sidebar.width : 0
        width: parent.width - x
        height: layout.model.regular ? parent.height : dock.y
        section: layout.model.selection
        title: layout.model.selectionTitle
    }

    Dock {
        id: dock
        visible: !layout.model.regular
        width: parent.width
        y: parent.height - height
        model: layout.model
    }
}
