import QtQuick
import VexaAI.Style
import VexaAI.Answer

// What every block shares: its place under lists (indented) and quotes (a bar per level at
// the left, drawn by BlockFrame), the view it belongs to, and its size from its content (`body`).
BlockFrame {
    id: block

    required property int index
    // indent and quoteDepth (BlockFrame's) are the model's roles too.
    // How far the block is set in (lists and quotes around it).
    required property int inset
    required property string plain
    property Item view
    // The block's laid-out content; the block is as large as it, past the inset.
    property Item body: null
    // A prose-like block's Text (the selection is laid over it); null for other kinds.
    property Item textItem: null
    // How wide the content is drawn. A text block lays its Text out once at the widest it may
    // be and gives its widest line here (binding a Text's width to its implicit width lays it
    // out twice, and a long chat scrolls slower for it).
    property real bodyWidth: body ? body.width : 0

    readonly property real innerMaxWidth: Math.max(120, (view ? view.maxWidth : 600) - inset)
    readonly property real textSize: view ? view.textSize : 15
    readonly property color textColor: view ? view.textColor : VexaTheme.textPrimary

    barColor: VexaTheme.quoteBar
    implicitWidth: inset + bodyWidth
    implicitHeight: body ? body.height : 0
    width: implicitWidth
    height: implicitHeight
}
