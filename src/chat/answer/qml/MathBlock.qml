import QtQuick
import QtQuick.Window
import VexaAI.Style
import VexaAI.Math

// A display formula: centred, typeset with the math font; wider than the bubble it scrolls
// sideways. One that cannot be set shows its source in the code style, and says so.
AnswerBlock {
    id: block

    required property string code

    body: frame

    // Back from the pool for another answer (see BlockRepeater).
    function reused() { scroller.contentX = 0 }

    Item {
        id: frame
        x: block.inset
        // The bubble's width, so the formula sits in its middle.
        width: formula.failed ? Math.min(block.innerMaxWidth, source.implicitWidth) : block.innerMaxWidth
        height: formula.failed ? source.implicitHeight + 8 : formula.implicitHeight + 8
        Accessible.role: Accessible.StaticText
        Accessible.name: formula.failed ? "Формула не распознана, её текст: " + block.code : block.plain

        // Wider than the bubble, it scrolls sideways.
        SidewaysScroller {
            id: scroller
            anchors.fill: parent
            visible: !formula.failed
            contentWidth: formula.implicitWidth
            barColor: VexaTheme.ruleLine
            barHeight: 2
            barBottom: 0

            MathItem {
                id: formula
                x: Math.max(0, (scroller.width - implicitWidth) / 2)
                y: 4
                width: implicitWidth
                height: implicitHeight
                tex: block.code
                display: true
                // The formula's em a tenth above the text's, as math fonts run small.
                textSize: block.textSize * Screen.logicalPixelDensity * 25.4 / 72 * 1.1
                color: block.textColor
            }
        }
        Text {
            id: source
            visible: formula.failed
            width: Math.min(implicitWidth, block.innerMaxWidth)
            y: 4
            text: block.code
            textFormat: Text.PlainText
            wrapMode: Text.WrapAnywhere
            font.family: "monospace"
            font.pointSize: block.textSize * 0.9
            color: VexaTheme.codeText
        }
    }
}
