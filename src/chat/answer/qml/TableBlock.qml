import QtQuick
import VexaAI.Style
import VexaAI.Answer

// A table as a grid: the header row bold, each column aligned as the `:---:` row says, cell
// text wrapped past a readable width, zebra rows, and the whole table scrolling sideways when
// it is wider than the bubble. "Скопировать таблицу" copies it as tab-separated text.
AnswerBlock {
    id: block

    required property var cells
    required property var alignments
    required property string hidden
    required property string hiddenColumns
    required property string summary

    readonly property int columns: alignments.length

    body: frame

    // Back from the pool for another answer (see BlockRepeater).
    function reused() {
        scroller.contentX = 0
        copy.flashing = false
    }

    // Placed by hand rather than by a Column, which would take its height only when the frame
    // is polished: the list showing the answer reads it as soon as the block is made.
    Item {
        id: frame
        objectName: "answerTable"
        x: block.inset
        width: Math.min(Math.max(table.width + 2, copyRow.implicitWidth), block.innerMaxWidth)
        height: grid.height + 4 + copyRow.height
        Accessible.role: Accessible.Table
        Accessible.name: block.summary

        Rectangle {
            id: grid
            width: Math.min(table.width + 2, block.innerMaxWidth)
            height: table.height + 2 + (scroller.interactive ? 10 : 0)
            radius: 8
            color: "transparent"
            border.color: VexaTheme.tableGrid
            // Wider than the bubble, the grid scrolls sideways.
            SidewaysScroller {
                id: scroller
                x: 1
                y: 1
                width: parent.width - 2
                height: parent.height - 2
                contentWidth: table.width

                TableGrid {
                    id: table
                    width: implicitWidth
                    height: implicitHeight
                    cells: block.cells
                    alignments: block.alignments
                    color: block.textColor
                    headerFill: VexaTheme.tableHeaderFill
                    zebraFill: VexaTheme.tableZebraFill
                    maxCellWidth: Math.max(120, Math.min(320, block.textSize * 18))
                    font.pointSize: block.textSize * 0.92
                    onLinkActivated: link => block.view.linkActivated(link)

                    // What a screen reader finds in the picture: a cell over each cell, made
                    // only while one listens.
                    Repeater {
                        model: ScreenReader.active ? table.shownRows * block.columns : 0
                        Item {
                            required property int index
                            readonly property int row: Math.floor(index / block.columns)
                            readonly property int column: index % block.columns
                            // Read again whenever the grid is laid out (shownRows changes with it).
                            readonly property rect area: table.shownRows, table.cellRect(row, column)
                            x: area.x
                            y: area.y
                            width: area.width
                            height: area.height
                            Accessible.role: row === 0 ? Accessible.ColumnHeader : Accessible.Cell
                            Accessible.name: block.view && block.view.answer ? block.view.answer.cellText(block.index, row, column) : ""
                        }
                    }
                }
            }
        }
        Item {
            id: copyRow
            y: grid.height + 4
            width: parent.width
            height: copy.implicitHeight
            implicitWidth: hiddenText.implicitWidth + copy.implicitWidth + 12
            Text {
                textFormat: Text.PlainText
                id: hiddenText
                anchors.verticalCenter: parent.verticalCenter
                text: [table.cutRows > 0 && block.view ? block.view.answer.hiddenRowsLine(block.index, table.cutRows) : block.hidden,
                       block.hiddenColumns].filter(s => s.length > 0).join(", ")
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.captionSize
            }
            CopyButton {
                id: copy
                objectName: "copyTable"
                anchors.right: parent.right
                label: "Скопировать таблицу"
                copy: function() { return block.view.answer.copyBlock(block.index) }
            }
        }
    }
}
