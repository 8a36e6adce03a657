import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// One chat of the list: its title, and a cyan check on the active one.
ItemDelegate {
    id: row

    required property string chatID
    required property string title
    required property bool isActive

    implicitHeight: 42
    leftPadding: 12
    rightPadding: 12
    focusPolicy: Qt.StrongFocus
    text: title
    Accessible.name: isActive ? title + ", открыт" : title

    contentItem: RowLayout {
        spacing: 10
        opacity: row.enabled ? 1 : 0.4

        VexaIcon {
            symbol: "bubble.left"
            size: 18
            color: VexaTheme.textSecondary
        }
        Text {
            Layout.fillWidth: true
            textFormat: Text.PlainText
            text: row.title
            elide: Text.ElideRight
            color: VexaTheme.textPrimary
            font.pixelSize: VexaTheme.bodySize
        }
        VexaIcon {
            visible: row.isActive
            symbol: "checkmark.circle.fill"
            size: 18
            color: VexaTheme.listAction
        }
    }
    background: Rectangle {
        radius: 10
        color: row.hovered || row.visualFocus ? VexaTheme.hoverFill : "transparent"
    }
}
