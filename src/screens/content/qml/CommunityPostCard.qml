// One group post: author, selectable text, date and "♡ N". The like button is for the mouse;
// from the keyboard Enter likes the post that has the focus: the list's current post, or this
// one when its text has the focus (after a click into it). A click anywhere on the post makes
// it the list's current one. The post is a focus scope, so the list focusing its current post
// leaves the focus in the text that was clicked (a selection there stays, Ctrl+C copies it).
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

FocusScope {
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
    // Pressed or focused: the list makes this post its current one.
    signal activated(int index)

    implicitHeight: glass.implicitHeight
    Accessible.role: Accessible.ListItem
    Accessible.name: card.spoken

    // Return in the post's text (read-only, so it does not take the key) likes this post and
    // goes no further: the list's own handler would like its current post instead.
    Keys.onReturnPressed: card.liked(card.rowId)
    Keys.onEnterPressed: card.liked(card.rowId)

    GlassCard {
        id: glass
        width: card.width
        padding: 14

        TapHandler {
            onPressedChanged: if (pressed) card.activated(card.index)
        }

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
                objectName: "postText" + card.index
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
                onActiveFocusChanged: if (activeFocus) card.activated(card.index)
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
                    onClicked: {
                        card.activated(card.index)
                        card.liked(card.rowId)
                    }
                }
            }
        }
    }

    Rectangle {
        parent: glass.background
        anchors.fill: parent
        radius: VexaTheme.cardRadius
        color: "transparent"
        border.width: 2
        border.color: VexaTheme.accent
        visible: card.current
    }
}
