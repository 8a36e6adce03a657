// A symbol-only button with a tooltip; `label` is what screen readers and the tooltip say.
import QtQuick
import QtQuick.Controls
import VexaAI.Style

ToolButton {
    id: control

    property string symbol
    property string label

    implicitWidth: 40
    implicitHeight: 40
    focusPolicy: Qt.StrongFocus
    Accessible.name: label
    ToolTip.visible: hovered || visualFocus
    ToolTip.text: label
    ToolTip.delay: 600

    contentItem: VexaIcon {
        symbol: control.symbol
        size: 22
        opacity: control.enabled ? 1 : 0.4
    }
}
