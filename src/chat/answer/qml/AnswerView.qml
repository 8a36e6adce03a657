import QtQuick
import Qt.labs.qmlmodels
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

    Repeater {
        id: blocks
        model: answerView.answer
        delegate: DelegateChooser {
            role: "kind"
            DelegateChoice {
                roleValue: "prose"
                ProseBlock { view: answerView }
            }
            DelegateChoice {
                roleValue: "quote"
                ProseBlock { view: answerView; quoted: true }
            }
            DelegateChoice {
                roleValue: "heading"
                HeadingBlock { view: answerView }
            }
            DelegateChoice {
                roleValue: "list"
                ListBlock { view: answerView }
            }
            DelegateChoice {
                roleValue: "code"
                CodeBlock { view: answerView }
            }
            DelegateChoice {
                roleValue: "table"
                TableBlock { view: answerView }
            }
            DelegateChoice {
                roleValue: "rule"
                RuleBlock { view: answerView }
            }
            DelegateChoice {
                roleValue: "picture"
                PictureBlock { view: answerView }
            }
            DelegateChoice {
                roleValue: "math"
                MathBlock { view: answerView }
            }
            DelegateChoice {
                roleValue: "more"
                MoreBlock { view: answerView }
            }
        }
    }
}
