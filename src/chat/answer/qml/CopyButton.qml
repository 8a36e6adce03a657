import QtQuick
import VexaAI.Style
import VexaAI.Answer

// A small text button that copies and says so for a moment ("Скопировано"). Not in the Tab
// chain (the message list is one stop; its keys copy instead); a screen reader presses it.
Item {
    id: button

    property string label: "Копировать"
    // Said for a moment after a press that did something.
    property string doneLabel: "Скопировано"
    // Returns whether something was copied.
    property var copy: function() { return false }
    property bool flashing: false

    implicitWidth: text.implicitWidth + 16
    implicitHeight: text.implicitHeight + 8

    function press() {
        if (button.copy()) {
            flashing = true
            flash.restart()
        }
    }

    // The hover fill, made only while the pointer is on the button.
    LazyItem {
        active: hover.hovered
        sourceComponent: Rectangle {
            z: -1 // under the label
            anchors.fill: parent
            radius: 6
            color: VexaTheme.hoverFill
        }
    }
    TextPicture {
        id: text
        label: true
        anchors.centerIn: parent
        text: button.flashing ? button.doneLabel : button.label
        color: button.flashing ? VexaTheme.accentSecondary : VexaTheme.codeHeaderText
        font.pixelSize: VexaTheme.captionSize
    }
    HoverHandler {
        id: hover
        cursorShape: Qt.PointingHandCursor
    }
    TapHandler {
        onTapped: button.press()
    }
    Timer {
        id: flash
        interval: 1500
        onTriggered: button.flashing = false
    }
    Accessible.role: Accessible.Button
    Accessible.name: text.text
    Accessible.onPressAction: button.press()
}
