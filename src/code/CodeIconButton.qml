// An icon-only button: the symbol, a tooltip with the help text, and the same text as its
// accessible name.
import QtQuick
import QtQuick.Controls
import VexaAI.Style

ToolButton {
    id: button

    required property string symbol
    property string help

    implicitWidth: 36
    implicitHeight: 36
    focusPolicy: Qt.StrongFocus
    Accessible.name: help
    ToolTip.visible: hovered && help.length > 0
    ToolTip.text: help
    ToolTip.delay: 500

    contentItem: VexaIcon {
        symbol: button.symbol
        size: 20
        opacity: button.enabled ? 1 : 0.35
    }
}
