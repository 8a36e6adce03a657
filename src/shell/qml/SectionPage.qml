import QtQuick
import VexaAI.Shell

// The sections' screens. A section's screen is made (and its document compiled) the first time
// the section is shown, from the address RootViewModel gives for it (selectionDocument), so the
// first frame builds only the shown one; it then lives as long as the signed-in layout, which
// goes at sign-out with everything in it. A focus scope: when the keyboard is in the page, it
// is in the shown screen.
FocusScope {
    id: page

    required property string document
    required property int selection

    // The slot of every section shown so far, by section; the shown one.
    property var slots: ({})
    property SectionSlot current: null

    Component {
        id: slotComponent
        SectionSlot {
            width: page.width
            height: page.height
        }
    }

    function show() {
        let slot = slots[selection]
        if (!slot) {
            slot = slotComponent.createObject(page, {section: selection, address: document})
            slot.shown = Qt.binding(() => slot.section === page.selection)
            slots[selection] = slot
        }
        current = slot
    }
    onSelectionChanged: show()
    Component.onCompleted: show()
}
