import QtQuick
import QtQuick.Controls
import VexaAI.Style

// Shown while the last message is off screen: takes the reader back to it.
IconButton {
    id: control
    objectName: "jumpToEndButton"

    symbol: "arrow.down"
    label: "К последнему сообщению"
    implicitWidth: 40
    opacity: visible ? 1 : 0
    Behavior on opacity { NumberAnimation { duration: 150 } }

    background: Rectangle {
        radius: height / 2
        color: control.hovered || control.visualFocus ? VexaTheme.raisedHoverFill : VexaTheme.sheetFill
        border.width: 1
        border.color: VexaTheme.cardOutline
    }
}
