import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import VexaAI.Style
import VexaAI.Shell

// The one window of the app.
ApplicationWindow {
    id: window

    width: 1180
    height: 780
    minimumWidth: 340
    minimumHeight: 480
    visible: true
    title: "Vexa AI"
    color: VexaTheme.background
    Material.theme: Material.Dark

    RootView {
        anchors.fill: parent
    }
}
