// One entry of the conversation: a bold caption ("Вы" or "Vexa Code") over the user's words
// (selectable text) or the answer's blocks (the chat's answer renderer).
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Answer

ColumnLayout {
    id: message

    required property string caption
    required property string text
    required property string html
    required property bool isUser
    required property AnswerModel blocks
    // The open file's "Вставить в файл" for code blocks (null: none is open for editing).
    property var insertCode: null

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
    AnswerView {
        objectName: "answerBlocks"
        visible: !message.isUser
        answer: message.isUser ? null : message.blocks
        maxWidth: message.width
        insertCode: message.insertCode
        offersInsert: true
        textSize: VexaTheme.bodySize * 0.75
        onLinkActivated: link => { if (link.startsWith("https:") || link.startsWith("mailto:")) Qt.openUrlExternally(link) }
        Accessible.role: Accessible.Grouping
        Accessible.name: message.caption
    }
    TextEdit {
        objectName: "messageText"
        visible: message.isUser
        // The user's own words as typed, escaped by the model.
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
