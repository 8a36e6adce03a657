import QtQuick
import VexaAI.Account

// The productivity sheet as the chat shows it. The chat loads this document by address the first
// time the sheet is shown and keeps it from then on, as it kept the sheet itself before (what
// was typed in it stays).
Item {
    id: host

    property bool showing: false
    signal closed()

    VexaUtilityView {
        objectName: "utilitiesSheet"
        visible: host.showing
        onClosed: host.closed()
    }
}
