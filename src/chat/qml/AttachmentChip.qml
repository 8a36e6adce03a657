import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// An attachment waiting in the composer: a thumbnail or a symbol, its caption, and a button
// that takes it away.
Rectangle {
    id: chip

    property url thumbnail
    property string symbol
    required property string caption
    required property string removeLabel
    signal removeRequested()

    implicitWidth: row.implicitWidth + 16
    implicitHeight: row.implicitHeight + 12
    radius: 14
    color: VexaTheme.cardFill
    border.width: 1
    border.color: VexaTheme.cardOutline

    RowLayout {
        id: row
        anchors.centerIn: parent
        spacing: 10

        Image {
            visible: chip.thumbnail != ""
            source: chip.thumbnail
            Layout.preferredWidth: 58
            Layout.preferredHeight: 58
            fillMode: Image.PreserveAspectCrop
            Accessible.ignored: true
        }
        VexaIcon {
            visible: chip.symbol.length > 0
            symbol: chip.symbol
            size: 22
            color: VexaTheme.textSecondary
        }
        Label {
            textFormat: Text.PlainText
            text: chip.caption
            elide: Text.ElideMiddle
            Layout.maximumWidth: 260
            color: VexaTheme.textPrimary
            font.pixelSize: VexaTheme.bodySize
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        IconButton {
            symbol: "xmark.circle.fill"
            label: chip.removeLabel
            tint: VexaTheme.textSecondary
            onClicked: chip.removeRequested()
        }
    }
}
