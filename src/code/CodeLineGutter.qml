// Line numbers beside the editor: only the rows in view are made (a 50,000-line file has as
// many delegates as fit on screen), placed by the editor's own line height and scroll offset,
// so they follow scrolling and the font size.
import QtQuick
import VexaAI.Code
import VexaAI.Style

Item {
    id: gutter

    required property Flickable flickable
    required property CodeEditorView editor
    required property font font

    readonly property real lineHeight: Math.max(1, editor.cursorRectangle.height)
    readonly property int firstLine: Math.max(0, Math.floor((flickable.contentY - editor.topPadding) / lineHeight))
    readonly property int currentLine: Math.floor(editor.cursorRectangle.y / lineHeight)

    implicitWidth: numbers.advanceWidth(String(Math.max(99, editor.lineCount))) + 16
    clip: true
    Accessible.ignored: true

    Rectangle {
        anchors.fill: parent
        color: VexaTheme.codeBackground
    }

    FontMetrics {
        id: numbers
        font: gutter.font
    }

    Repeater {
        model: Math.ceil(gutter.height / gutter.lineHeight) + 2

        Text {
            required property int index
            readonly property int line: gutter.firstLine + index

            visible: line < gutter.editor.lineCount
            x: 0
            width: gutter.width - 8
            y: gutter.editor.topPadding + line * gutter.lineHeight - gutter.flickable.contentY
            height: gutter.lineHeight
            verticalAlignment: Text.AlignVCenter
            horizontalAlignment: Text.AlignRight
            textFormat: Text.PlainText
            text: String(line + 1)
            font: gutter.font
            color: line === gutter.currentLine ? VexaTheme.textSecondary : VexaTheme.textTertiary
        }
    }
}
