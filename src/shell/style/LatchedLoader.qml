import QtQuick

// Made the first time it is wanted and kept from then on: for the parts of a screen that are not
// on it when it opens (sheets, dialogs, alerts), so they cost nothing until first asked for and
// keep their state afterwards. A latch rather than a binding on `active`, which would unload the
// part once it is no longer wanted (and, fed by its own onLoaded, warns of a binding loop).
Loader {
    property bool wanted: false

    active: false
    onWantedChanged: if (wanted) active = true
    Component.onCompleted: if (wanted) active = true
}
