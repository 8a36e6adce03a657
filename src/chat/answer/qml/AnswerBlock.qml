import QtQuick
import VexaAI.Style

// What every block shares: its place under lists (indented) and quotes (a bar per level at
// the left), the view it belongs to, and its size from its content (`body`).
Item {
    id: block

    required property int index
    required property int indent
    required property int quoteDepth
    required property string plain
    property Item view
    // The block's laid-out content; the block is as large as it, past the inset.
    property Item body: null
    // A prose-like block's Text (the selection is laid over it); null for other kinds.
    property Item textItem: null

    readonly property real inset: indent * 22 + quoteDepth * 14
    readonly property real innerMaxWidth: Math.max(120, (view ? view.maxWidth : 600) - inset)
    readonly property real textSize: view ? view.textSize : 15
    readonly property color textColor: view ? view.textColor : VexaTheme.textPrimary

    implicitWidth: inset + (body ? body.width : 0)
    implicitHeight: body ? body.height : 0
    width: implicitWidth
    height: implicitHeight

    QuoteBars {
        depth: block.quoteDepth
        x: block.indent * 22
        height: block.height
    }
}
