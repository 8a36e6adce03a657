// An icon-only button: the symbol, a tooltip with the help text, and the same text as its
// accessible name.
import QtQuick
import QtQuick.Controls

ToolButton {
    id: button

    property string symbol
    property string help

    contentItem: CodeSymbol {
        symbol: button.symbol
        font.pixelSize: 16
        opacity: button.enabled ? 1 : 0.4
    }
    ToolTip.visible: hovered && help.length > 0
    ToolTip.text: help
    ToolTip.delay: 500
    Accessible.name: help
    Accessible.description: help
}
