import QtQuick
import QtQuick.Controls
import VexaAI.Style
import VexaAI.Chat

// The messages on display (all, or those the search found), the search counter above them
// and "Vexa думает…" under them. Only the visible bubbles exist; scrolled-out ones are reused.
ListView {
    id: list
    objectName: "messageList"

    required property ChatViewModel viewModel
    signal shareRequested(string text, Item returnFocus)

    // Shows the last message at the bottom; glides there when it is near.
    function scrollToEnd(animated) {
        if (count === 0)
            return
        pinnedToEnd = true
        glide.stop()
        const from = contentY
        keepEnd()
        const to = contentY
        if (!animated || Math.abs(to - from) > 2 * height || from >= to)
            return
        // Back where the glide starts: a step of ours, which must not let go of the end.
        keepingEnd = true
        contentY = from
        keepingEnd = false
        glide.from = from
        glide.to = to
        glide.start()
    }

    readonly property real columnWidth: Math.min(width - 32, 860)

    // Bubbles: blue at 45 % for the user, white at 9 % for Vexa. The software renderer blends
    // large translucent areas slowly, so there they are drawn opaque in the colour the
    // translucent ones take over the app's background.
    readonly property bool opaqueBubbles: GraphicsInfo.api === GraphicsInfo.Software
    readonly property color userTint: VexaTheme.userBubble
    readonly property color answerTint: VexaTheme.answerBubble
    readonly property color userColor: opaqueBubbles ? Qt.tint(VexaTheme.background, userTint) : userTint
    readonly property color answerColor: opaqueBubbles ? Qt.tint(VexaTheme.background, answerTint) : answerTint

    model: viewModel.visibleEntries
    reuseItems: true
    spacing: 12
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    leftMargin: (width - columnWidth) / 2
    rightMargin: leftMargin
    // The column stays centred when the window is resized.
    onLeftMarginChanged: contentX = -leftMargin
    topMargin: 12
    bottomMargin: 12
    ScrollBar.vertical: ScrollBar {}
    Accessible.role: Accessible.List
    Accessible.name: "Сообщения"
    Accessible.description: "Стрелки — к другому сообщению, клавиша меню — действия с ним"

    // The keyboard's way through the messages (see MessageKeys).
    activeFocusOnTab: true
    keyNavigationEnabled: false
    currentIndex: -1
    onActiveFocusChanged: if (activeFocus) list.keys.enter()
    // Another list of messages (another screen model) starts with none current, as the first did.
    onModelChanged: currentIndex = -1
    Keys.onPressed: event => list.keys.handle(event)
    property MessageKeys keys: MessageKeys {
        list: list
        viewModel: list.viewModel
        onMenuRequested: bubble => list.openMenuOf(bubble)
        onEndRequested: list.scrollToEnd(false)
    }
    FocusRing {
        target: list.activeFocus && list.currentItem ? list.currentItem.cardItem : null
    }

    header: Item {
        width: list.columnWidth
        height: list.viewModel.searchCounterVisible ? counter.implicitHeight + 12 : 0
        Label {
            id: counter
            objectName: "searchCounter"
            visible: list.viewModel.searchCounterVisible
            textFormat: Text.PlainText
            text: "Найдено сообщений: " + list.viewModel.foundCount
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.captionSize + 1
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }

    footer: Item {
        width: list.columnWidth
        height: list.viewModel.thinking ? thinking.implicitHeight + 16 : 0
        ThinkingIndicator {
            id: thinking
            objectName: "thinkingIndicator"
            y: 12
            visible: list.viewModel.thinking
        }
    }

    // Two kinds of bubble, each made and reused apart (see MessageBubble).
    delegate: MessageDelegates {
        messageList: list
        pictureComponent: pictureArea
    }
    readonly property real bubbleWidth: Math.max(200, Math.min(list.columnWidth * 0.86, 760))
    // A bubble put aside for reuse (its message removed, filtered out, or of another chat) is
    // only culled: hidden, it leaves the accessibility tree instead of being read there at its
    // old place.
    function bubblePooled(bubble) { bubble.visible = false }
    function bubbleReused(bubble) {
        bubble.visible = true
        list.arrangeReadingOrder()
    }

    // Screen readers follow the screen, oldest message first (see ReadingOrder), once per
    // batch of new bubbles.
    property bool readingOrderPending: false
    function arrangeReadingOrder() {
        if (readingOrderPending || !ScreenReader.active)
            return
        readingOrderPending = true
        Qt.callLater(() => {
            list.readingOrderPending = false
            ReadingOrder.arrange(list.contentItem)
        })
    }

    // The handlers below serve every bubble at once: cheaper than a set in each bubble.
    // Handlers report points in the coordinates of whichever item they reached them through,
    // so everything goes by the scene position.
    function bubbleAt(scenePosition) {
        const inContent = contentItem.mapFromItem(null, scenePosition.x, scenePosition.y)
        const bubble = itemAt(inContent.x, inContent.y)
        if (!bubble || !bubble.cardContains(bubble.mapFromItem(null, scenePosition.x, scenePosition.y)))
            return null
        return bubble
    }
    function openMenuAt(scenePosition) {
        const bubble = bubbleAt(scenePosition)
        if (!bubble)
            return
        const menu = list.messageMenu()
        menu.focusReturn.target = list.Window.activeFocusItem
        menu.openFor(bubble.model.entryID, bubble.isUser, bubble.model.text, null)
    }
    // From the keyboard: at the message itself.
    function openMenuOf(bubble) {
        const menu = list.messageMenu()
        menu.focusReturn.target = list
        menu.openFor(bubble.model.entryID, bubble.isUser, bubble.model.text, bubble.cardItem)
    }
    // The selection follows the mouse from bubble to bubble. (When the mouse is over the
    // selection itself this handler may hear nothing; it is on the right bubble then anyway.)
    HoverHandler {
        onPointChanged: {
            if (hovered) {
                const bubble = list.bubbleAt(point.scenePosition)
                selection.hovered = bubble
                selection.hoveredText = bubble ? bubble.textAt(point.scenePosition) : null
            }
        }
    }
    MessageSelection {
        id: selection
        onLinkActivated: link => {
            if (selection.target)
                list.viewModel.activateLink(selection.target.model.entryID, link)
        }
    }
    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: eventPoint => list.openMenuAt(eventPoint.scenePosition)
    }
    TapHandler {
        acceptedDevices: PointerDevice.TouchScreen
        onLongPressed: list.openMenuAt(point.scenePosition)
    }

    Component {
        id: pictureArea
        MessageImage {}
    }

    NumberAnimation {
        id: glide
        target: list
        property: "contentY"
        duration: 250
        easing.type: Easing.OutCubic
        // Bubbles laid out on the way may have moved the end.
        onFinished: list.keepEnd()
    }

    Connections {
        target: list.viewModel
        function onScrollToEndRequested(animated) { list.scrollToEnd(animated) }
    }
    Connections {
        target: ScreenReader
        function onActiveChanged() { list.arrangeReadingOrder() }
    }
    // While the end is on screen the list stays there as bubbles settle (pictures arrive,
    // heights become known); scrolling away, by any means, lets go.
    property bool pinnedToEnd: true
    property bool keepingEnd: false
    function keepEnd() {
        keepingEnd = true
        positionViewAtEnd()
        // positionViewAtEnd leaves the bottom margin out (Qt 6.4): go on to the real end.
        const end = originY + contentHeight + bottomMargin - height
        if (end > contentY)
            contentY = end
        keepingEnd = false
    }
    onContentYChanged: if (placed && !keepingEnd && !glide.running) pinnedToEnd = atYEnd
    onPinnedToEndChanged: if (!pinnedToEnd) viewModel.visibleEntries.listMoved()
    onContentHeightChanged: if (pinnedToEnd && !glide.running) keepEnd()
    // The chat opens at its last message in its first frame: the list goes to the end as the
    // layout first gives it a height (in the same pass, before anything is drawn, and before it
    // fills itself from the top). Until then, what the layout does to contentY does not unpin it.
    property bool placed: false
    onHeightChanged: {
        if (height <= 0)
            return
        if (pinnedToEnd && !glide.running)
            keepEnd()
        placed = true
    }
    Component.onCompleted: Qt.callLater(keepEnd)

    // Made when a message's menu is first asked for (not with the screen) and kept.
    // By address, so it is compiled then too.
    property QtObject contextMenu: null
    function messageMenu() {
        if (!contextMenu) {
            contextMenu = Qt.createComponent("qrc:/qt/qml/VexaAI/Chat/MessageContextMenu.qml")
                .createObject(list, {viewModel: list.viewModel})
            contextMenu.shareRequested.connect(list.shareRequested)
        }
        return contextMenu
    }
}
