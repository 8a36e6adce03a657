import QtQuick
import VexaAI.Style
import VexaAI.Answer

// Content wider than its place, moved sideways by the wheel or touchpad (sideways), or by a
// finger, with a thin bar at the bottom saying where it is. A clipping item, not a Flickable:
// one per code panel, table and formula costs too much while a long chat scrolls, so what
// scrolls and the bar are made only for content that does not fit.
//
//     SidewaysScroller { width: …; height: …; contentWidth: code.implicitWidth; CodeText { id: code } }
Item {
    id: scroller

    // The content's whole width; the children are the content.
    property real contentWidth: 0
    property real contentX: 0
    readonly property bool interactive: contentWidth > width + 0.5
    property color barColor: VexaTheme.codeHeaderText
    property real barHeight: 3
    // The bar's distance from the bottom.
    property real barBottom: 2
    default property alias content: inner.data
    // What holds the content (for items made later into it).
    readonly property Item contentItem: inner
    // `interactive` once the sizes have settled: an item lent to another block takes the new
    // content's width before its own, and the handlers would be made and thrown away between.
    property bool settled: false

    clip: interactive
    Binding {
        target: scroller
        property: "settled"
        value: scroller.interactive
        delayed: true
    }

    function scrollTo(x) {
        contentX = Math.max(0, Math.min(contentWidth - width, x))
    }
    onWidthChanged: scrollTo(contentX)
    onContentWidthChanged: scrollTo(contentX)

    Item {
        id: inner
        x: -scroller.contentX
        width: Math.max(scroller.contentWidth, scroller.width)
        height: scroller.height
    }
    // Made the first time the content does not fit, then kept (hidden while it fits): a pooled
    // block item shows wide and narrow content in turn.
    property bool handlersMade: false
    onSettledChanged: if (settled) handlersMade = true

    LazyItem {
        target: scroller
        active: scroller.handlersMade
        sourceComponent: Item {
            anchors.fill: parent
            visible: scroller.settled
            WheelHandler {
                orientation: Qt.Horizontal
                target: null
                onWheel: event => scroller.scrollTo(scroller.contentX
                    - (event.pixelDelta.x !== 0 ? event.pixelDelta.x : event.angleDelta.x / 2))
            }
            DragHandler {
                property real from: 0
                acceptedDevices: PointerDevice.TouchScreen
                yAxis.enabled: false
                target: null
                onActiveChanged: from = scroller.contentX
                onTranslationChanged: if (active) scroller.scrollTo(from - translation.x)
            }
            Rectangle {
                x: scroller.contentX / scroller.contentWidth * scroller.width
                y: scroller.height - scroller.barHeight - scroller.barBottom
                width: scroller.width / scroller.contentWidth * scroller.width
                height: scroller.barHeight
                radius: height / 2
                color: scroller.barColor
            }
        }
    }
}
