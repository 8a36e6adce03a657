import QtQuick
import VexaAI.Style

// What every message shares: the card (the user's on the trailing side on blue, Vexa's on the
// leading side on a faint white), the picture of the few that have one, and the list's ways in
// (cardContains, textAt). What is inside the card is the kind's own: TextBubble (one Text: the
// user's words, and answers of prose, lists and quotes) or BlocksBubble (an answer drawn block
// by block). The list makes and reuses each kind apart, so neither carries the other's items.
Item {
    id: bubble

    // The rest of the row (id, raw text) is read when it is needed.
    required property var model
    required property bool isUser
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
    // Where the kind's content starts in the card (under the picture, if any).
    readonly property real contentTop: picture ? picture.y + picture.height + 8 : 10
    // Set by the kind: its content's drawn size, its first text, its block view (if any).
    property real contentWidth: 0
    property real contentHeight: 0
    property Item textItem: null
    property Item answerView: null
    // What a screen reader says for the whole message, with its speaker; made only while one
    // is listening.
    readonly property string spoken: !ScreenReader.active || !model ? ""
        : isUser ? "Вы: " + model.text
                 : "Vexa: " + (model.blocks ? model.blocks.plainText : "")
    readonly property Item cardItem: card
    property MessageImage picture: null
    // The kind's content goes into the card.
    default property alias content: card.data

    implicitHeight: card.height

    // Whether a point of this bubble's coordinates lies on the drawn message.
    function cardContains(point) {
        return point.x >= card.x && point.x < card.x + card.width && point.y >= 0
            && point.y < card.height
    }
    // The text item under a point of the scene, or null (code panels and tables select on
    // their own).
    function textAt(scenePosition) {
        if (!answerView)
            return textItem
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

        x: bubble.isUser ? bubble.width - width : 0
        width: Math.min(bubble.maxBubbleWidth,
                        Math.max(bubble.contentWidth, bubble.picture ? bubble.picture.contentWidth : 0)
                        + 2 * bubble.padding)
        height: bubble.contentTop + bubble.contentHeight + 10
        radius: 18
        color: bubble.isUser ? bubble.userColor : bubble.answerColor
        Accessible.role: bubble.answerView ? Accessible.Grouping : Accessible.NoRole
        Accessible.name: bubble.answerView ? "Vexa" : ""
    }
}
