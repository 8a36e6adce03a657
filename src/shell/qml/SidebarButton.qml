import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// One row of the sidebar: symbol and title, highlighted when its section is on screen.
ItemDelegate {
    id: control

    property string symbolName
    property bool selected: false
    property string shortcutHint

    implicitHeight: 42
    leftPadding: 12
    rightPadding: 12
    highlighted: selected
    focusPolicy: Qt.StrongFocus
    Accessible.name: text

    contentItem: RowLayout {
        spacing: 12

        VexaIcon {
            symbol: control.symbolName
            size: 20
            color: control.selected ? Qt.lighter(VexaTheme.accent, 1.4) : VexaTheme.textSecondary
            Layout.preferredWidth: 22
        }
        Text {
            Layout.fillWidth: true
            textFormat: Text.PlainText
            text: control.text
            elide: Text.ElideRight
            font.pixelSize: VexaTheme.bodySize
            font.weight: control.selected ? Font.DemiBold : Font.Normal
            color: VexaTheme.textPrimary
        }
        Text {
            visible: control.shortcutHint.length > 0
            textFormat: Text.PlainText
            text: control.shortcutHint
            font.pixelSize: VexaTheme.captionSize
            color: VexaTheme.textTertiary
        }
    }

    background: Rectangle {
        radius: 11
        color: control.selected ? VexaTheme.selectionFill
             : control.hovered || control.visualFocus ? VexaTheme.hoverFill : "transparent"
        border.width: control.visualFocus ? 1 : 0
        border.color: VexaTheme.accent
    }
}
