import QtQuick
import VexaAI.Style
import VexaAI.Answer

// One message: the user's on the trailing side on blue, Vexa's on the leading side on a faint
// white. The user's words are one plain Text; an answer is its blocks (AnswerView: prose,
// lists, code panels, tables…), made once per message and kept with it by the model. The few
// with a picture get a MessageImage made for them. The list opens the menu and lays the
// selection over the text under the mouse (see cardContains, textAt).
Item {
    id: bubble

    // The rest of the row (id, raw text) is read when it is needed.
    required property var model
    required property bool isUser
    required property string html
    required property AnswerModel blocks
    required property AnswerModel drawnBlocks
    required property bool hasImage
    property real textSize: 17
    property real maxBubbleWidth: 600
    property color userColor: VexaTheme.userBubble
    property color answerColor: VexaTheme.answerBubble
    // Makes the picture area; the list passes one for all bubbles.
    property Component pictureComponent

    signal openImageRequested(url source)
    // A link tapped where no selection lies on the text (touch screens).
    signal linkActivated(string link)

    readonly property real padding: 14
    readonly property real innerMaxWidth: maxBubbleWidth - 2 * padding
    // Most answers are prose, lists and quotes only: one Text, as the user's words are (the
    // fast path for scrolling); the others are drawn block by block.
    readonly property bool oneText: drawnBlocks === null
    // What a screen reader says for the whole message, with its speaker.
    readonly property string spoken: isUser ? "Вы: " + (model ? model.text : "")
                                            : "Vexa: " + (blocks ? blocks.plainText : "")
    // The message's first text (the user's words, or an answer's first prose block).
    readonly property Item textItem: oneText ? userText : answerView.firstText
    readonly property Item cardItem: card
    property MessageImage picture: null

    implicitHeight: card.height

    // Whether a point of this bubble's coordinates lies on the drawn message.
    function cardContains(point) {
        return point.x >= card.x && point.x < card.x + card.width && point.y >= 0
            && point.y < card.height
    }
    // The text item under a point of the scene, or null (code panels and tables select on
    // their own).
    function textAt(scenePosition) {
        if (oneText)
            return userText
        const local = answerView.mapFromItem(null, scenePosition.x, scenePosition.y)
        return answerView.textAt(local.x, local.y)
    }

    // Bubbles are reused for other messages: the picture area comes and goes with them.
    function updatePicture() {
        if (!model) // still being set up: Component.onCompleted comes back
            return
        if (hasImage && !picture && pictureComponent) {
            picture = pictureComponent.createObject(card, {
                x: padding, y: 10, source: bubble.model.imageSource
            })
            picture.width = Qt.binding(() => bubble.innerMaxWidth)
            picture.source = Qt.binding(() => bubble.model ? bubble.model.imageSource : "")
            picture.openRequested.connect(source => bubble.openImageRequested(source))
        } else if (!hasImage && picture) {
            picture.destroy()
            picture = null
        }
    }
    onHasImageChanged: updatePicture()
    Component.onCompleted: updatePicture()

    Rectangle {
        id: card

        readonly property real contentTop: bubble.picture ? bubble.picture.y + bubble.picture.height + 8 : 10
        x: bubble.isUser ? bubble.width - width : 0
        width: Math.min(bubble.maxBubbleWidth,
                        Math.max(bubble.oneText ? userText.contentWidth : answerView.width,
                                 bubble.picture ? bubble.picture.contentWidth : 0)
                        + 2 * bubble.padding)
        height: contentTop + (bubble.oneText ? userText.height : answerView.height) + 10
        radius: 18
        color: bubble.isUser ? bubble.userColor : bubble.answerColor
        Accessible.role: bubble.oneText ? Accessible.NoRole : Accessible.Grouping
        Accessible.name: bubble.oneText ? "" : "Vexa"

        SelectableText {
            id: userText
            x: bubble.padding
            y: card.contentTop
            width: bubble.innerMaxWidth
            visible: bubble.oneText
            text: bubble.html
            spoken: bubble.oneText ? bubble.spoken : ""
            font.pointSize: bubble.textSize
            onLinkActivated: link => bubble.linkActivated(link)
        }
        AnswerView {
            id: answerView
            x: bubble.padding
            y: card.contentTop
            visible: !bubble.oneText
            answer: bubble.drawnBlocks
            maxWidth: bubble.innerMaxWidth
            textSize: bubble.textSize
            onLinkActivated: link => bubble.linkActivated(link)
        }
    }
}
