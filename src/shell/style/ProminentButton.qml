import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import VexaAI.Style

// A filled call-to-action button: an optional symbol and the title on a tinted, rounded
// background. While `busy` it shows a spinner in place of its title and keeps its size.
Button {
    id: control

    property color tint: VexaTheme.accent
    property string symbol
    property bool busy: false

    implicitHeight: 48
    font.pixelSize: VexaTheme.bodySize
    font.weight: Font.DemiBold
    font.capitalization: Font.MixedCase
    Accessible.name: text

    contentItem: Item {
        // Sized from the text's natural width, never from the laid-out row, so the button's
        // width and its content do not chase each other.
        id: content

        readonly property real symbolWidth: control.symbol.length > 0 ? 18 + label.spacing : 0
        implicitWidth: symbolWidth + title.implicitWidth
        implicitHeight: Math.max(title.implicitHeight, 28)

        Row {
            id: label
            anchors.centerIn: parent
            spacing: 8
            visible: !control.busy

            VexaIcon {
                visible: control.symbol.length > 0
                symbol: control.symbol
                size: 18
                color: VexaTheme.textOnAccent
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                id: title
                width: Math.min(implicitWidth, control.availableWidth - content.symbolWidth)
                anchors.verticalCenter: parent.verticalCenter
                textFormat: Text.PlainText
                text: control.text
                font: control.font
                color: VexaTheme.textOnAccent
                elide: Text.ElideRight
            }
        }
        BusyIndicator {
            anchors.centerIn: parent
            width: 28
            height: 28
            visible: control.busy
            running: control.busy
            Material.accent: VexaTheme.textOnAccent
            Accessible.name: control.text
        }
    }

    background: Rectangle {
        radius: 14
        color: control.down ? Qt.darker(control.tint, 1.25)
             : control.hovered ? Qt.lighter(control.tint, 1.1) : control.tint
        opacity: control.enabled ? 1 : 0.38
        border.width: control.visualFocus ? 2 : 0
        border.color: VexaTheme.textOnAccent
    }
}
