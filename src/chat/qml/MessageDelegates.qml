import QtQuick
import Qt.labs.qmlmodels

// The message list's delegates: a TextBubble for a message drawn as one text, a BlocksBubble for
// an answer drawn block by block ("layout" role). The list keeps a pool of each, so a bubble is
// only ever reused for a message of its own kind.
DelegateChooser {
    id: chooser

    required property ListView messageList
    property Component pictureComponent

    role: "layout"
    DelegateChoice {
        roleValue: "text"
        TextBubble {
            id: textBubble
            width: chooser.messageList.columnWidth
            textSize: chooser.messageList.viewModel.textSize
            userColor: chooser.messageList.userColor
            answerColor: chooser.messageList.answerColor
            maxBubbleWidth: chooser.messageList.bubbleWidth
            pictureComponent: chooser.pictureComponent
            onOpenImageRequested: source => chooser.messageList.viewModel.openImage(source)
            onLinkActivated: link => chooser.messageList.viewModel.activateLink(model.entryID, link)
            ListView.onPooled: chooser.messageList.bubblePooled(textBubble)
            ListView.onReused: chooser.messageList.bubbleReused(textBubble)
            Component.onCompleted: chooser.messageList.arrangeReadingOrder()
        }
    }
    DelegateChoice {
        roleValue: "blocks"
        BlocksBubble {
            id: blocksBubble
            width: chooser.messageList.columnWidth
            textSize: chooser.messageList.viewModel.textSize
            userColor: chooser.messageList.userColor
            answerColor: chooser.messageList.answerColor
            maxBubbleWidth: chooser.messageList.bubbleWidth
            pictureComponent: chooser.pictureComponent
            onOpenImageRequested: source => chooser.messageList.viewModel.openImage(source)
            onLinkActivated: link => chooser.messageList.viewModel.activateLink(model.entryID, link)
            ListView.onPooled: chooser.messageList.bubblePooled(blocksBubble)
            ListView.onReused: chooser.messageList.bubbleReused(blocksBubble)
            Component.onCompleted: chooser.messageList.arrangeReadingOrder()
        }
    }
}
