import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// A row of the sections sheet.
ItemDelegate {
    id: row

    required property int index
    required property int section
    required property string title
    required property string symbol

    signal chosen(int section)

    implicitHeight: 50
    leftPadding: 20
    rightPadding: 20
    text: title
    highlighted: ListView.isCurrentItem && ListView.view.activeFocus
    Accessible.name: title

    onClicked: chosen(section)
    Keys.onReturnPressed: chosen(section)
    Keys.onEnterPressed: chosen(section)

    contentItem: RowLayout {
        spacing: 14
        VexaIcon {
            symbol: row.symbol
            size: 22
            color: Qt.lighter(VexaTheme.accent, 1.35)
            Layout.preferredWidth: 26
        }
        Text {
            Layout.fillWidth: true
            textFormat: Text.PlainText
            text: row.title
            elide: Text.ElideRight
            font.pixelSize: VexaTheme.bodySize + 1
            color: VexaTheme.textPrimary
        }
    }
}
