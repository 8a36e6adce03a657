import QtQuick
import VexaAI.Answer

// An answer drawn block by block (AnswerView: prose, lists, code panels, tables, formulas…),
// its blocks made once per message and kept with it by the model.
MessageBubble {
    id: bubble

    required property AnswerModel drawnBlocks

    contentWidth: view.width
    contentHeight: view.height
    textItem: view.firstText
    answerView: view

    AnswerView {
        id: view
        x: bubble.padding
        y: bubble.contentTop
        answer: bubble.drawnBlocks
        maxWidth: bubble.innerMaxWidth
        textSize: bubble.textSize
        onLinkActivated: link => bubble.linkActivated(link)
    }
}
