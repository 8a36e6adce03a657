import QtQuick
import VexaAI.Style
import VexaAI.Account

// A picture in a rounded frame, as wide as it may be and never taller than `maximumHeight`.
Rectangle {
    id: frame

    property alias image: picture.image
    property real maximumHeight: 420
    property string accessibleName

    implicitHeight: Math.min(picture.aspectHeight, maximumHeight) + 2
    radius: 12
    color: VexaTheme.pictureFill
    border.width: 1
    border.color: VexaTheme.cardOutline
    Accessible.role: Accessible.Graphic
    Accessible.name: accessibleName

    ImagesPicture {
        id: picture
        anchors.fill: parent
        anchors.margins: 1
    }
}
