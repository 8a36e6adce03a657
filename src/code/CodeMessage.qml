// One entry of the conversation: a bold caption ("Вы" or "Vexa Code") over selectable text.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

ColumnLayout {
    id: message

    required property string caption
    required property string text
    required property string html
    required property bool isUser

    spacing: 4

    Label {
        textFormat: Text.PlainText
        text: message.caption
        font.bold: true
        font.pixelSize: VexaTheme.captionSize + 1
        color: message.isUser ? VexaTheme.accentSecondary : VexaTheme.accent
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    TextEdit {
        objectName: "messageText"
        // Rich text made and escaped by the model: answers from their Markdown (code blocks
        // kept as they are), the user's own words as typed.
        text: message.html
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.Wrap
        textFormat: TextEdit.RichText
        color: VexaTheme.textPrimary
        selectionColor: VexaTheme.selectionFill
        font.pixelSize: VexaTheme.bodySize
        Layout.fillWidth: true
        Accessible.role: Accessible.StaticText
        Accessible.name: message.caption + ": " + message.text
    }
}
