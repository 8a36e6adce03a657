import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// A collapsible group: a header that opens and closes it (click, Space or Enter), and its
// content under it while open.
ColumnLayout {
    id: group

    property string title
    property bool expanded: false
    default property alias groupContent: body.data
    // The header that opens and closes the group (where the keyboard lands on the group).
    readonly property alias header: toggle

    spacing: 6

    ItemDelegate {
        id: toggle
        Layout.fillWidth: true
        focusPolicy: Qt.StrongFocus
        text: group.title
        Accessible.role: Accessible.Button
        Accessible.name: group.title
        Accessible.checkable: true
        Accessible.checked: group.expanded
        onClicked: group.expanded = !group.expanded
        Keys.onReturnPressed: group.expanded = !group.expanded
        Keys.onEnterPressed: group.expanded = !group.expanded
        leftPadding: 4
        contentItem: RowLayout {
            spacing: 6
            VexaIcon {
                symbol: group.expanded ? "chevron.down" : "chevron.right"
                size: 18
                color: VexaTheme.textSecondary
            }
            Text {
                Layout.fillWidth: true
                text: group.title
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                color: VexaTheme.textPrimary
                font.pixelSize: VexaTheme.bodySize
                font.weight: Font.Medium
            }
        }
    }
    ColumnLayout {
        id: body
        Layout.fillWidth: true
        Layout.leftMargin: 28
        visible: group.expanded
        spacing: 8
    }
}
