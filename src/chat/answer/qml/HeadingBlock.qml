import QtQuick
import QtQuick.Window
import VexaAI.Style
import VexaAI.Answer

// A heading in one of three sizes.
AnswerBlock {
    id: block

    required property string html
    required property int level

    body: text
    bodyWidth: text.contentWidth
    textItem: text

    InlineMath {
        id: math
        html: block.html
        font: text.font
        color: text.color
        devicePixelRatio: Screen.devicePixelRatio
    }
    TextPicture {
        id: text
        role: "heading" + Math.min(3, Math.max(1, block.level))
        inset: block.inset
        x: block.inset
        width: block.innerMaxWidth
        topPadding: block.index > 0 ? 6 : 0
        text: math.text
        color: block.textColor
        font.pointSize: block.textSize * (block.level === 1 ? 1.45 : block.level === 2 ? 1.25 : 1.08)
        font.bold: true
        onLinkActivated: link => block.view.linkActivated(link)
        Accessible.role: Accessible.Heading
        Accessible.name: block.plain
    }
}
