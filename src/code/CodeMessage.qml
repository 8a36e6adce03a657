// One entry of the conversation: a bold caption ("Вы" or "Vexa Code") over selectable text.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

ColumnLayout {
    id: message

    required property string caption
    required property string text
    required property bool isUser

    spacing: 4

    Label {
        text: message.caption
        font.bold: true
        font.pixelSize: VexaTheme.captionSize + 1
        color: message.isUser ? VexaTheme.accentSecondary : VexaTheme.accent
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    TextEdit {
        text: message.text
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.Wrap
        // Answers come as Markdown (code blocks); the user's own words are shown as typed.
        textFormat: message.isUser ? TextEdit.PlainText : TextEdit.MarkdownText
        color: VexaTheme.textPrimary
        selectionColor: VexaTheme.selectionFill
        font.pixelSize: VexaTheme.bodySize
        Layout.fillWidth: true
        Accessible.role: Accessible.StaticText
        Accessible.name: message.caption + ": " + text
    }
}
