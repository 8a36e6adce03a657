import QtQuick
import VexaAI.Style

// One section's screen: made the first time the section is shown and kept from then on, so what
// the user typed, chose or opened there, and where it was scrolled to, are still there on the
// way back. While another section is shown it is invisible: out of the tab chain and the
// accessibility tree, drawing nothing; the page's focus scope gives the keyboard to the shown one.
LatchedLoader {
    id: slot

    required property int section
    // The screen's document.
    required property string address
    property bool shown: true

    visible: shown
    focus: shown
    wanted: shown
    document: address
    initialProperties: ({focus: true})
}
