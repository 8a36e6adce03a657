import QtQuick
import VexaAI.Style

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
    readonly property int rows: cells.length
    readonly property real cellPadding: 8
    readonly property real maxCellWidth: Math.max(120, Math.min(320, block.textSize * 18))
    // Measured once the cells exist (see relayout).
    property var columnX: []
    property var columnWidths: []
    property var rowY: []
    property var rowHeights: []
    property real gridWidth: 0
    property real gridHeight: 0

    body: frame

    // Columns as wide as their widest cell (up to maxCellWidth), rows as high as their highest.
    function relayout() {
        const widths = new Array(columns).fill(0)
        for (let i = 0; i < cellRepeater.count; ++i) {
            const cell = cellRepeater.itemAt(i)
            if (cell)
                widths[cell.column] = Math.max(widths[cell.column], cell.naturalWidth)
        }
        const xs = []
        let x = 0
        for (let c = 0; c < columns; ++c) {
            xs.push(x)
            x += widths[c] + 2 * cellPadding
        }
        columnWidths = widths
        columnX = xs
        const heights = new Array(rows).fill(0)
        for (let i = 0; i < cellRepeater.count; ++i) {
            const cell = cellRepeater.itemAt(i)
            if (cell)
                heights[cell.row] = Math.max(heights[cell.row], cell.textHeight)
        }
        const ys = []
        let y = 0
        for (let r = 0; r < rows; ++r) {
            ys.push(y)
            y += heights[r] + 2 * cellPadding
        }
        rowHeights = heights
        rowY = ys
        gridWidth = x
        gridHeight = y
    }
    onTextSizeChanged: relayout()
    // Another table of as many cells keeps the cells and only changes their texts.
    onCellsChanged: if (cellRepeater.count === rows * columns) relayout()
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
        width: Math.min(Math.max(block.gridWidth + 2, copyRow.implicitWidth), block.innerMaxWidth)
        height: grid.height + 4 + copyRow.height
        Accessible.role: Accessible.Table
        Accessible.name: block.summary

        Rectangle {
            id: grid
            width: Math.min(block.gridWidth + 2, block.innerMaxWidth)
            height: block.gridHeight + 2 + (scroller.interactive ? 10 : 0)
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
                contentWidth: block.gridWidth

                Repeater {
                    model: block.rows
                    Rectangle {
                        required property int index
                        y: block.rowY.length > index ? block.rowY[index] : 0
                        width: block.gridWidth
                        height: block.rowHeights.length > index ? block.rowHeights[index] + 2 * block.cellPadding : 0
                        color: index === 0 ? VexaTheme.tableHeaderFill
                                           : index % 2 === 0 ? VexaTheme.tableZebraFill : "transparent"
                    }
                }
                Repeater {
                    id: cellRepeater
                    model: block.rows * block.columns
                    onItemAdded: (index, item) => { if (index === count - 1 || count === model) block.relayout() }
                    // A cell is its Text alone: an item around each would be one more node
                    // for the renderer to move and walk on every frame a table scrolls past.
                    Text {
                        id: cell
                        required property int index
                        readonly property int row: Math.floor(index / block.columns)
                        readonly property int column: index % block.columns
                        readonly property real naturalWidth: Math.min(implicitWidth, block.maxCellWidth)
                        readonly property real textHeight: height
                        x: (block.columnX.length > column ? block.columnX[column] : 0) + block.cellPadding
                        y: (block.rowY.length > row ? block.rowY[row] : 0) + block.cellPadding
                        width: block.columnWidths.length > column ? block.columnWidths[column] : naturalWidth
                        text: block.cells[row][column] || ""
                        textFormat: Text.StyledText
                        wrapMode: Text.Wrap
                        horizontalAlignment: block.alignments[column]
                        color: block.textColor
                        font.pointSize: block.textSize * 0.92
                        font.bold: row === 0
                        onLinkActivated: link => block.view.linkActivated(link)
                        Accessible.role: row === 0 ? Accessible.ColumnHeader : Accessible.Cell
                        Accessible.name: ScreenReader.active && text.length > 0 && block.view && block.view.answer ? block.view.answer.cellText(block.index, row, column) : ""
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
                text: [block.hidden, block.hiddenColumns].filter(s => s.length > 0).join(", ")
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
