// One group post: author, selectable text, date and "♡ N". The like button is for the mouse;
// from the keyboard the post list likes its current post with Enter.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

GlassCard {
    id: card

    required property int index
    required property var rowId
    required property string author
    required property string content
    required property string date
    required property string likes
    required property string spoken
    property bool current: false

    signal liked(var postId)

    padding: 14
    Accessible.role: Accessible.ListItem
    Accessible.name: card.spoken

    ColumnLayout {
        spacing: 6
        Text {
            text: card.author
            textFormat: Text.PlainText
            color: VexaTheme.accentSecondary
            font.pixelSize: VexaTheme.captionSize
            font.bold: true
        }
        TextEdit {
            Layout.fillWidth: true
            text: card.content
            textFormat: TextEdit.PlainText
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.Wrap
            color: VexaTheme.textPrimary
            selectionColor: VexaTheme.accent
            font.pixelSize: VexaTheme.bodySize
            Accessible.role: Accessible.StaticText
            Accessible.name: card.author + ": " + card.content
            Accessible.description: card.date
        }
        RowLayout {
            Layout.fillWidth: true
            Text {
                text: card.date
                textFormat: Text.PlainText
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.captionSize - 1
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                Accessible.ignored: text.length === 0
            }
            Item { Layout.fillWidth: true }
            Button {
                objectName: "likeButton" + card.index
                text: card.likes
                flat: true
                focusPolicy: Qt.NoFocus
                font.capitalization: Font.MixedCase
                Accessible.name: "Нравится, " + card.likes
                onClicked: card.liked(card.rowId)
            }
        }
    }

    Rectangle {
        parent: card.background
        anchors.fill: parent
        radius: VexaTheme.cardRadius
        color: "transparent"
        border.width: 2
        border.color: VexaTheme.accent
        visible: card.current
    }
}
