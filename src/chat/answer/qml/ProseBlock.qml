import QtQuick
import QtQuick.Window
import VexaAI.Style
import VexaAI.Answer

// A paragraph (or several) of prose, or of a quote: one picture of the text (see TextPicture),
// drawn ahead for answers about to scroll into view.
AnswerBlock {
    id: block

    required property string html
    required property string kind
    readonly property bool quoted: kind === "quote"

    body: text
    bodyWidth: text.contentWidth
    textItem: text

    // Formulas in the text, typeset (the text as it is when it has none).
    InlineMath {
        id: math
        html: block.html
        font: text.font
        color: text.color
        devicePixelRatio: Screen.devicePixelRatio
    }
    TextPicture {
        id: text
        role: block.kind
        inset: block.inset
        x: block.inset
        width: block.innerMaxWidth
        text: math.text
        color: block.quoted ? VexaTheme.quoteText : block.textColor
        font.pointSize: block.textSize
        font.italic: block.quoted
        onLinkActivated: link => block.view.linkActivated(link)
        Accessible.role: Accessible.StaticText
        Accessible.name: block.plain
    }
}
