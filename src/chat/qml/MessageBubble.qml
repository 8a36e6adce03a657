import QtQuick
import VexaAI.Style

// One message: the user's on the trailing side on blue, Vexa's on the leading side on a faint
// white. The text arrives as display markup made from the Markdown of the answer (see
// markdowntext.h), code blocks included, so a bubble is a handful of items however long or
// rich the message; the few with a picture get a MessageImage made for them. The list opens
// the menu and lays the selection over the text (see cardContains, textItem).
Item {
    id: bubble

    // The rest of the row (id, raw text, selection markup) is read when it is needed.
    required property var model
    required property bool isUser
    required property string html
    required property string spoken
    required property bool hasImage
    property real textSize: 17
    property real maxBubbleWidth: 600
    property color userColor: Qt.rgba(0.0, 0.48, 1.0, 0.45)
    property color answerColor: Qt.rgba(1, 1, 1, 0.09)
    // Makes the picture area; the list passes one for all bubbles.
    property Component pictureComponent

    signal openImageRequested(url source)
    // A link tapped where no selection lies on the text (touch screens).
    signal linkActivated(string link)

    readonly property real padding: 14
    readonly property real innerMaxWidth: maxBubbleWidth - 2 * padding
    readonly property SelectableText textItem: message
    readonly property Item cardItem: card
    property MessageImage picture: null

    implicitHeight: card.height

    // Whether a point of this bubble's coordinates lies on the drawn message.
    function cardContains(point) {
        return point.x >= card.x && point.x < card.x + card.width && point.y >= 0
            && point.y < card.height
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

        x: bubble.isUser ? bubble.width - width : 0
        width: Math.min(bubble.maxBubbleWidth,
                        Math.max(message.contentWidth, bubble.picture ? bubble.picture.contentWidth : 0)
                        + 2 * bubble.padding)
        height: message.y + message.height + 10
        radius: 18
        color: bubble.isUser ? bubble.userColor : bubble.answerColor

        SelectableText {
            id: message
            x: bubble.padding
            y: bubble.picture ? bubble.picture.y + bubble.picture.height + 8 : 10
            width: bubble.innerMaxWidth
            text: bubble.html
            spoken: bubble.spoken
            font.pointSize: bubble.textSize
            onLinkActivated: link => bubble.linkActivated(link)
        }
    }
}
