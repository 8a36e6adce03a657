// A group's description: four lines at first and, only when that cuts the text,
// "Показать полностью" to read the rest ("Свернуть" folds it again). A very long text, opened,
// scrolls inside its own box so the posts below keep their room.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

ColumnLayout {
    id: box

    property string text
    property bool expanded: false
    // Opened, the text takes at most this height and scrolls beyond it.
    property real maximumOpenHeight: 300
    readonly property bool cut: folded.truncated

    spacing: 4
    visible: text.length > 0

    // Another group's text starts folded.
    onTextChanged: expanded = false

    // Always laid out at four lines, so it can tell whether the text is cut.
    Text {
        id: folded
        objectName: "descriptionFolded"
        Layout.fillWidth: true
        visible: !box.expanded
        text: box.text
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        maximumLineCount: 4
        elide: Text.ElideRight
        color: VexaTheme.textSecondary
        font.pixelSize: VexaTheme.bodySize
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    ScrollView {
        id: opened
        Layout.fillWidth: true
        Layout.preferredHeight: Math.min(full.implicitHeight, box.maximumOpenHeight)
        visible: box.expanded
        contentWidth: availableWidth
        clip: true
        Text {
            id: full
            objectName: "descriptionFull"
            width: opened.availableWidth
            text: box.text
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.bodySize
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }

    Button {
        objectName: "descriptionToggle"
        visible: box.cut || box.expanded
        flat: true
        padding: 4
        font.capitalization: Font.MixedCase
        font.pixelSize: VexaTheme.captionSize
        text: box.expanded ? "Свернуть" : "Показать полностью"
        focusPolicy: Qt.StrongFocus
        Accessible.name: text
        onClicked: box.expanded = !box.expanded
    }
}
