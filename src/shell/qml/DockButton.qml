import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// One dock button: the symbol over a short label, tinted when its section is on screen.
AbstractButton {
    id: control

    property string symbolName
    property bool selected: false

    focusPolicy: Qt.StrongFocus
    Accessible.role: Accessible.Button
    Accessible.name: text

    readonly property color tint: selected ? Qt.lighter(VexaTheme.accent, 1.4) : VexaTheme.textSecondary

    contentItem: ColumnLayout {
        spacing: 3

        Item { Layout.fillHeight: true }
        VexaIcon {
            Layout.alignment: Qt.AlignHCenter
            symbol: control.symbolName
            size: 24
            color: control.tint
        }
        Text {
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            textFormat: Text.PlainText
            text: control.text
            elide: Text.ElideRight
            font.pixelSize: 11
            font.weight: control.selected ? Font.DemiBold : Font.Normal
            color: control.tint
        }
        Item { Layout.fillHeight: true }
    }

    background: Rectangle {
        anchors.fill: parent
        anchors.margins: 4
        radius: 12
        color: control.selected ? VexaTheme.selectionFill
             : control.down || control.visualFocus ? VexaTheme.hoverFill : "transparent"
    }
}
