import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Voice
import VexaAI.Answer

// The hint, what is being heard, the last answer and the error line; the button that ends a
// phrase without waiting for the pause.
ColumnLayout {
    id: talk

    required property VoiceConversationViewModel viewModel

    spacing: 8

    Label {
        textFormat: Text.PlainText
        Layout.fillWidth: true
        text: "Говорите короткими фразами. После паузы Vexa ответит голосом."
        wrapMode: Text.Wrap
        color: VexaTheme.textSecondary
        font.pixelSize: VexaTheme.bodySize
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    Label {
        objectName: "talkKeyHint"
        textFormat: Text.PlainText
        Layout.fillWidth: true
        text: talk.viewModel.holdingToTalk
              ? "Говорите, пока держите пробел: фраза закончится, когда отпустите."
              : "Пробел — прервать ответ; удерживайте пробел, пока говорите, если вокруг шумно."
        wrapMode: Text.Wrap
        color: VexaTheme.textTertiary
        font.pixelSize: VexaTheme.captionSize
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    TextEdit {
        objectName: "transcript"
        Layout.fillWidth: true
        visible: text.length > 0
        text: talk.viewModel.voice.transcript
        readOnly: true
        selectByMouse: true
        textFormat: TextEdit.PlainText
        wrapMode: TextEdit.Wrap
        color: VexaTheme.textPrimary
        selectionColor: VexaTheme.selectionFill
        font.pixelSize: VexaTheme.bodySize
        font.italic: true
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    // The last answer drawn as in the chat (its Markdown as blocks, never as markup).
    AnswerText {
        objectName: "lastAnswer"
        Layout.fillWidth: true
        visible: text.length > 0
        text: talk.viewModel.lastAnswer
    }
    Label {
        objectName: "voiceError"
        Layout.fillWidth: true
        visible: text.length > 0
        text: talk.viewModel.voice.errorMessage
        wrapMode: Text.Wrap
        textFormat: Text.PlainText
        color: VexaTheme.error
        font.pixelSize: VexaTheme.captionSize
        Accessible.role: Accessible.AlertMessage
        Accessible.name: text
    }
    VoiceButton {
        objectName: "sendPhrase"
        Layout.alignment: Qt.AlignHCenter
        visible: talk.viewModel.canSendPhrase
        symbol: "paperplane.fill"
        text: "Отправить распознанную фразу"
        onClicked: talk.viewModel.sendRecognizedPhrase()
    }
}
