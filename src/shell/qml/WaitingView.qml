import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// Shown while the session is restored at launch and while a sign-in runs.
Item {
    objectName: "waitingView"

    ColumnLayout {
        anchors.centerIn: parent
        spacing: 16

        BusyIndicator {
            Layout.alignment: Qt.AlignHCenter
            running: true
            Accessible.name: status.text
        }
        Label {
            id: status
            Layout.alignment: Qt.AlignHCenter
            text: "Подключаем Vexa AI…"
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.bodySize
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
