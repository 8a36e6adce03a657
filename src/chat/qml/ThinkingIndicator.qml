import QtQuick
import QtQuick.Controls
import VexaAI.Style

// Shown under the last message while Vexa prepares the answer.
Row {
    spacing: 10
    Accessible.role: Accessible.StaticText
    Accessible.name: "Vexa думает…"

    BusyIndicator {
        width: 24
        height: 24
        running: parent.visible
        anchors.verticalCenter: parent.verticalCenter
    }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: "Vexa думает…"
        color: VexaTheme.textSecondary
        font.pixelSize: VexaTheme.bodySize
    }
}
