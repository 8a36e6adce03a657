import QtQuick
import QtQuick.Controls
import VexaAI.Style

// A character's picture, 72 by 72: the portrait when it has one (a spinner while it loads),
// otherwise, or when it cannot be loaded, the character's emoji.
Item {
    id: portrait

    required property url source
    required property string emoji
    property string name

    readonly property bool hasPicture: source.toString().length > 0
    readonly property int status: picture.status

    implicitWidth: 72
    implicitHeight: 72

    Rectangle {
        anchors.fill: parent
        radius: 16
        color: VexaTheme.hoverFill
        visible: picture.status !== Image.Ready
    }
    Image {
        id: picture
        objectName: "portraitImage"
        anchors.fill: parent
        source: portrait.source
        asynchronous: true
        fillMode: Image.PreserveAspectCrop
        sourceSize: Qt.size(144, 144)
        visible: status === Image.Ready
        Accessible.role: Accessible.Graphic
        Accessible.name: portrait.name
    }
    BusyIndicator {
        anchors.centerIn: parent
        width: 32
        height: 32
        running: picture.status === Image.Loading
        visible: running
    }
    Text {
        anchors.centerIn: parent
        visible: !portrait.hasPicture || picture.status === Image.Error || picture.status === Image.Null
        textFormat: Text.PlainText
        text: portrait.emoji
        font.pixelSize: 40
        Accessible.role: Accessible.Graphic
        Accessible.name: portrait.name
    }
}
