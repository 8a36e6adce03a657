import QtQuick
import VexaAI.Style

// The one TextEdit of the message list: laid over the text the mouse is on (a user's message,
// or a prose block of an answer), with the same text, font and width, so it looks the same but
// can be selected. It stays on its text while a selection lives there, and lets go when that
// bubble shows another message. Copying a whole answer goes by the message (Ctrl+C, the menu),
// which gives its Markdown.
TextEdit {
    id: selection
    objectName: "messageSelection"

    // The bubble under the mouse and the text there, or null.
    property MessageBubble hovered: null
    property Item hoveredText: null
    // The bubble and text it lies on.
    property MessageBubble target: null
    property Item targetText: null

    property font restingFont
    signal linkActivated(string link)

    parent: targetText
    visible: targetText !== null
    width: targetText ? targetText.width : 0
    // A heading's room above its text.
    topPadding: targetText && targetText.topPadding ? targetText.topPadding : 0
    text: targetText ? targetText.text : ""
    textFormat: TextEdit.RichText
    wrapMode: TextEdit.Wrap
    font: targetText ? targetText.font : restingFont
    color: targetText ? targetText.color : VexaTheme.textPrimary
    readOnly: true
    selectByMouse: true
    persistentSelection: false
    selectionColor: VexaTheme.accent
    Accessible.ignored: true

    HoverHandler {
        cursorShape: selection.hoveredLink.length > 0 ? Qt.PointingHandCursor : Qt.IBeamCursor
    }
    // Links open on a click here: with selecting by mouse on, this read-only TextEdit reported
    // no link clicks of its own here (Qt 6.4). A drag that starts on a link selects instead.
    TapHandler {
        onTapped: eventPoint => {
            const local = selection.mapFromItem(null, eventPoint.scenePosition.x,
                                                eventPoint.scenePosition.y)
            const link = selection.linkAt(local.x, local.y)
            if (link.length > 0)
                selection.linkActivated(link)
        }
    }
    // A drag that selects may leave the bubble; the selection stays where it began.
    PointHandler {
        id: press
        acceptedButtons: Qt.LeftButton
        onActiveChanged: selection.follow()
    }

    onHoveredTextChanged: follow()
    onSelectedTextChanged: if (selectedText.length === 0) follow()

    function follow() {
        if (selectedText.length === 0 && !press.active && targetText !== hoveredText) {
            target = hoveredText ? hovered : null
            targetText = hoveredText
        }
    }

    // A bubble reused for another message takes the selection with it: drop it.
    Connections {
        target: selection.targetText
        function onTextChanged() {
            selection.deselect()
            selection.target = null
            selection.targetText = null
            selection.follow()
        }
    }
}
