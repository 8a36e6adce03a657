import QtQuick
import VexaAI.Style

// The keyboard's mark around an item (a message's card): one for the whole list, moved into
// the card it marks.
Rectangle {
    objectName: "focusRing"
    property Item target: null

    parent: target
    visible: target !== null
    anchors.fill: parent
    anchors.margins: -3
    radius: VexaTheme.cardRadius + 3
    color: "transparent"
    border.width: 2
    border.color: VexaTheme.accent
}
