import QtQuick
import QtQuick.Controls
import VexaAI.Style

// The app's icon button: one symbol, and its title beside it when `title` is set. `label` is
// what screen readers and the tooltip say (the title when there is no separate label); the
// tooltip shows on hover and on keyboard focus.
ToolButton {
    id: control

    required property string symbol
    property string title
    property string label: title
    property real symbolSize: 20
    property color tint: VexaTheme.textPrimary

    implicitHeight: 40
    implicitWidth: title.length > 0 ? content.implicitWidth + 20 : 40
    focusPolicy: Qt.StrongFocus
    text: label
    Accessible.name: label
    ToolTip.visible: (hovered || visualFocus) && title.length === 0 && label.length > 0
    ToolTip.delay: 600
    ToolTip.text: label

    contentItem: Item {
        Row {
            id: content
            anchors.centerIn: parent
            spacing: 6
            opacity: control.enabled ? 1 : 0.35

            VexaIcon {
                anchors.verticalCenter: parent.verticalCenter
                symbol: control.symbol
                size: control.symbolSize
                color: control.tint
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                visible: control.title.length > 0
                textFormat: Text.PlainText
                text: control.title
                color: control.tint
                font.pixelSize: VexaTheme.bodySize
            }
        }
    }
}
