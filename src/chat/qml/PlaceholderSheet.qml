import QtQuick
import QtQuick.Controls
import VexaAI.Style

// A sheet whose screen is not in the app yet: its title and a short note.
ChatSheet {
    id: sheet

    height: Math.min(260, parent.height - 48)

    Label {
        anchors.fill: parent
        anchors.margins: 8
        text: "Этот раздел появится в одной из следующих версий."
        wrapMode: Text.Wrap
        color: VexaTheme.textSecondary
        font.pixelSize: VexaTheme.bodySize
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
}
