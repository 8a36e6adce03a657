import QtQuick

// Made the first time it is wanted and kept from then on: for the parts of a screen that are not
// on it when it opens (sheets, dialogs, alerts), so they cost nothing until first asked for and
// keep their state afterwards. A latch rather than a binding on `active`, which would unload the
// part once it is no longer wanted (and, fed by its own onLoaded, warns of a binding loop).
Loader {
    property bool wanted: false
    // The part's document by address, as an alternative to an inline sourceComponent: a part
    // named inline is compiled with the screen that holds it, with every control it uses; by
    // address it is compiled when first wanted.
    property url document
    // Set on the part as it is made (its required properties among them).
    property var initialProperties: ({})

    active: false
    onWantedChanged: if (wanted) latch()
    Component.onCompleted: if (wanted) latch()

    function latch() {
        if (document.toString() !== "" && source.toString() === "")
            setSource(document, initialProperties)
        active = true
    }
}
