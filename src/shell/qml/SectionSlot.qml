import QtQuick
import VexaAI.Style

// One section's screen: made the first time the section is shown and kept from then on, so what
// the user typed, chose or opened there, and where it was scrolled to, are still there on the
// way back. While another section is shown it is invisible: out of the tab chain and the
// accessibility tree, drawing nothing; the page's focus scope gives the keyboard to the shown one.
LatchedLoader {
    id: slot

    required property int section
    // The screen's document; a section without one shows its title.
    required property string address
    property string title
    property bool shown: true

    readonly property string placeholder: "qrc:/qt/qml/VexaAI/Shell/SectionPlaceholder.qml"

    visible: shown
    focus: shown
    wanted: shown
    document: address !== "" ? address : placeholder
    initialProperties: address !== "" ? {focus: true} : {focus: true, title: title}

    Binding {
        target: slot.item
        when: slot.address === "" && slot.item !== null
        property: "title"
        value: slot.title
    }
}
