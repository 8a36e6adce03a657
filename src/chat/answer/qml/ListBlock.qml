import QtQuick
import QtQuick.Window
import VexaAI.Style
import VexaAI.Answer

// A list: bullets by level, numbers from the list's own start, ☐/☑ for tasks, nested items
// indented under theirs, an item's later paragraphs under its text without a marker. One
// picture of the whole list's text (a line per item, see TextPicture), so a list costs what
// prose costs while scrolling; a wrapped item goes on at the line's start.
AnswerBlock {
    id: block

    required property string listHtml
    required property string hidden

    body: column
    bodyWidth: Math.max(text.contentWidth, more.visible ? Math.min(more.implicitWidth, block.innerMaxWidth) : 0)
    textItem: text

    // Placed by hand rather than by a Column, which would take its height only when the frame
    // is polished: the list showing the answer reads it as soon as the block is made.
    Item {
        id: column
        x: block.inset
        width: Math.max(text.width, more.visible ? more.width : 0)
        height: text.height + (more.visible ? 4 + more.height : 0)
        InlineMath {
            id: math
            html: block.listHtml
            font: text.font
            color: text.color
            devicePixelRatio: Screen.devicePixelRatio
        }
        TextPicture {
            id: text
            role: "list"
            inset: block.inset
            width: block.innerMaxWidth
            text: math.text
            color: block.textColor
            font.pointSize: block.textSize
            lineHeight: 1.12
            onLinkActivated: link => block.view.linkActivated(link)
            Accessible.role: Accessible.List
            Accessible.name: block.plain
        }
        Text {
            id: more
            y: text.height + 4
            textFormat: Text.PlainText
            visible: block.hidden.length > 0
            text: block.hidden
            color: VexaTheme.textSecondary
            font.pointSize: block.textSize * 0.85
            font.italic: true
            Accessible.role: Accessible.StaticText
            Accessible.name: block.hidden
        }
    }
}
