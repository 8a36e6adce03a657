// One row of the sidebar: a symbol and one line of text; the current row is highlighted.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

ItemDelegate {
    id: row

    property string symbol
    property string label

    padding: 6
    text: label
    Accessible.name: label
    background: Rectangle {
        radius: 6
        color: row.highlighted ? Qt.rgba(palette.highlight.r, palette.highlight.g,
                                         palette.highlight.b, 0.25)
             : row.hovered ? Qt.rgba(palette.mid.r, palette.mid.g, palette.mid.b, 0.2)
             : "transparent"
    }
    contentItem: RowLayout {
        spacing: 8
        CodeSymbol {
            symbol: row.symbol
            Layout.preferredWidth: 18
        }
        Label {
            text: row.label
            elide: Text.ElideRight
            maximumLineCount: 1
            Layout.fillWidth: true
        }
    }
}
