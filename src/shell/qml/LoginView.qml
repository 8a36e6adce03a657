import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Shell

// The sign-in screen: the bot hands out a one-time code, the user types it here. A new instance
// (and so an empty field) each time the root shows it.
FocusScope {
    id: view
    objectName: "loginView"

    LoginViewModel {
        id: login
    }

    Flickable {
        id: scroller
        anchors.fill: parent
        contentWidth: width
        contentHeight: Math.max(height, column.implicitHeight + 2 * VexaTheme.margin)
        boundsBehavior: Flickable.StopAtBounds

        FocusFollower {
            flickable: scroller
            content: column
        }
        ScrollBar.vertical: ScrollBar {}

        ColumnLayout {
            id: column
            width: Math.min(480, scroller.width - 2 * VexaTheme.margin)
            anchors.horizontalCenter: parent.horizontalCenter
            y: Math.max(VexaTheme.margin, (scroller.contentHeight - implicitHeight) / 2)
            spacing: 14

            Rectangle {
                Layout.alignment: Qt.AlignHCenter
                implicitWidth: 76
                implicitHeight: 76
                radius: 38
                color: VexaTheme.accentWash
                border.width: 1
                border.color: VexaTheme.accentOutline

                VexaIcon {
                    anchors.centerIn: parent
                    symbol: "sparkle"
                    size: 38
                    color: Qt.lighter(VexaTheme.accent, 1.35)
                }
            }
            Label {
                Layout.alignment: Qt.AlignHCenter
                text: "Vexa AI"
                font.pixelSize: 34
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Label {
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                textFormat: Text.PlainText
                text: login.subtitle
                font.pixelSize: VexaTheme.bodySize + 1
                color: VexaTheme.textSecondary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            LoginCard {
                focus: true // a focus scope: passes the keyboard on to the code field
                Layout.fillWidth: true
                Layout.topMargin: 10
                model: login
            }

            Label {
                Layout.fillWidth: true
                Layout.topMargin: 4
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: "Код действует ограниченное время. Никому его не сообщайте."
                font.pixelSize: VexaTheme.captionSize + 1
                color: VexaTheme.textTertiary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
    }
}
