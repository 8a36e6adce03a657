// One row of the sidebar: a symbol and one line of text; the current row is highlighted.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

ItemDelegate {
    id: row

    property string symbol
    property string label

    padding: 8
    implicitHeight: 38
    text: label
    Accessible.name: label
    background: Rectangle {
        radius: 10
        color: row.highlighted ? VexaTheme.selectionFill
             : row.hovered ? VexaTheme.hoverFill : "transparent"
    }
    contentItem: RowLayout {
        spacing: 8
        VexaIcon {
            symbol: row.symbol
            size: 18
            color: row.highlighted ? VexaTheme.accent : VexaTheme.textSecondary
        }
        Label {
            textFormat: Text.PlainText
            text: row.label
            elide: Text.ElideRight
            maximumLineCount: 1
            color: VexaTheme.textPrimary
            font.pixelSize: VexaTheme.bodySize
            Layout.fillWidth: true
        }
    }
}
