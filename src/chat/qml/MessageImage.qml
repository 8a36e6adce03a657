import QtQuick
import QtQuick.Controls
import VexaAI.Style

// The picture of an answer: a spinner while it loads, the picture fitted to the bubble's
// width (at most 480 high), or a failure label; under it a link that opens the address.
Column {
    id: area

    required property url source
    signal openRequested(url source)

    // How wide the area needs to be: the picture as shown (never enlarged), or room for the
    // spinner and the failure label.
    readonly property real contentWidth: picture.status === Image.Ready
        ? Math.min(width, picture.implicitWidth, picture.implicitWidth * 480 / Math.max(1, picture.implicitHeight))
        : Math.min(width, 260)

    spacing: 6

    Item {
        width: area.width
        height: picture.status === Image.Ready
                ? Math.min(480, picture.implicitHeight * Math.min(1, width / Math.max(1, picture.implicitWidth)))
                : 96
        clip: true

        Image {
            id: picture
            anchors.fill: parent
            source: area.source
            asynchronous: true
            fillMode: Image.PreserveAspectFit
            horizontalAlignment: Image.AlignLeft
            smooth: true
            Accessible.role: Accessible.Graphic
            Accessible.name: "Изображение"
        }
        BusyIndicator {
            anchors.centerIn: parent
            width: 32
            height: 32
            running: picture.status === Image.Loading
            visible: running
        }
        Row {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 8
            visible: picture.status === Image.Error
            VexaIcon {
                symbol: "photo"
                size: 20
                color: VexaTheme.textSecondary
            }
            Text {
                text: "Не удалось загрузить фото"
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.bodySize
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
    }
    Label {
        text: "Открыть изображение"
        color: VexaTheme.accentSecondary
        font.pixelSize: VexaTheme.bodySize - 1
        font.underline: openLink.hovered
        Accessible.role: Accessible.Link
        Accessible.name: text
        HoverHandler {
            id: openLink
            cursorShape: Qt.PointingHandCursor
        }
        TapHandler {
            onTapped: area.openRequested(area.source)
        }
    }
}
