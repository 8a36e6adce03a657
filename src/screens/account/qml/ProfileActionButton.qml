import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// A full-width row button of the account card: an optional symbol and the title, red when the
// action takes something away.
ItemDelegate {
    id: control

    property string symbol
    property bool destructive: false
    readonly property color tint: destructive ? VexaTheme.error : VexaTheme.textPrimary

    Layout.fillWidth: true
    focusPolicy: Qt.StrongFocus
    Accessible.role: Accessible.Button
    Accessible.name: text
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()

    contentItem: RowLayout {
        spacing: 10
        VexaIcon {
            Layout.preferredWidth: 22
            symbol: control.symbol
            size: 20
            color: control.tint
        }
        Label {
            Layout.fillWidth: true
            textFormat: Text.PlainText
            text: control.text
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.bodySize
            color: control.tint
        }
    }
    background: Rectangle {
        radius: 12
        color: control.down ? VexaTheme.selectionFill
             : control.hovered ? VexaTheme.hoverFill : "transparent"
        border.width: control.visualFocus ? 2 : 0
        border.color: VexaTheme.accent
    }
}
