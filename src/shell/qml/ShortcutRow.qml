import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// A row of the shortcuts sheet: what the keys do, and the keys. Read by screen readers as one
// line ("Новый чат: Ctrl+N").
ItemDelegate {
    id: row

    required property string description
    required property string keys

    implicitHeight: 40
    leftPadding: 20
    rightPadding: 20
    highlighted: ListView.isCurrentItem && ListView.view.activeFocus
    Accessible.role: Accessible.ListItem
    Accessible.name: description + ": " + keys

    contentItem: RowLayout {
        spacing: 14
        Text {
            Layout.fillWidth: true
            textFormat: Text.PlainText
            text: row.description
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.bodySize
            color: VexaTheme.textPrimary
        }
        Text {
            objectName: "shortcutKeys"
            Layout.maximumWidth: row.width * 0.4
            horizontalAlignment: Text.AlignRight
            textFormat: Text.PlainText
            text: row.keys
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.bodySize
            font.weight: Font.DemiBold
            color: Qt.lighter(VexaTheme.accent, 1.35)
        }
    }
}
