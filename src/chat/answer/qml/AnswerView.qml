import QtQuick
import VexaAI.Style
import VexaAI.Answer

// An answer drawn block by block, each by its own small component, in the answer's order (so a
// screen reader hears them in that order too). Prose stays a light Text; only code panels and
// tables make more. Its width is that of its widest block, up to maxWidth.
Column {
    id: answerView

    property AnswerModel answer: null
    property real maxWidth: 600
    property real textSize: 15
    property color textColor: VexaTheme.textPrimary
    // Where an answer about code can put a code block: function(code) returning whether it did.
    // Set (the code workspace's assistant, while a file is open for editing), every code panel
    // offers "Вставить в файл"; null (the chat) offers nothing.
    property var insertCode: null
    // Whether this view's code panels have the "Вставить в файл" button at all (shown while
    // insertCode is set); the chat's have none.
    property bool offersInsert: false
    // The prose block's Text under a point of this item, or null (for laying a selection over it).
    function textAt(x, y) {
        for (let i = 0; i < blocks.count; ++i) {
            const block = blocks.itemAt(i)
            if (block && block.textItem && y >= block.y && y < block.y + block.height)
                return block.textItem
        }
        return null
    }
    // The first block's text item (prose, heading or quote), or null.
    readonly property Item firstText: blocks.count > 0 && blocks.itemAt(0) ? blocks.itemAt(0).textItem : null

    signal linkActivated(string link)

    spacing: 8

    // Block items are reused from answer to answer (see BlockRepeater).
    BlockRepeater {
        id: blocks
        answer: answerView.answer
        view: answerView
        delegates: ({
            prose: Qt.resolvedUrl("ProseBlock.qml"),
            quote: Qt.resolvedUrl("ProseBlock.qml"),
            heading: Qt.resolvedUrl("HeadingBlock.qml"),
            list: Qt.resolvedUrl("ListBlock.qml"),
            code: Qt.resolvedUrl("CodeBlock.qml"),
            table: Qt.resolvedUrl("TableBlock.qml"),
            rule: Qt.resolvedUrl("RuleBlock.qml"),
            picture: Qt.resolvedUrl("PictureBlock.qml"),
            math: Qt.resolvedUrl("MathBlock.qml"),
            more: Qt.resolvedUrl("MoreBlock.qml")
        })
    }
}
