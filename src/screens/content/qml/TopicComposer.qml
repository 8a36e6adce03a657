// The reply bar under an open topic: "Ваш ответ" (one to four lines) and "Ответить".
// Enter sends, Shift+Enter breaks the line.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

Rectangle {
    id: bar

    required property TopicDetailViewModel viewModel

    color: VexaTheme.chromeFill
    implicitHeight: row.implicitHeight + 20

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 10
        spacing: 10

        GrowingTextArea {
            Layout.fillWidth: true
            areaName: "replyField"
            placeholderText: "Ваш ответ"
            submitOnEnter: true
            text: bar.viewModel.reply
            onTextChanged: if (text !== bar.viewModel.reply) bar.viewModel.reply = text
            onSubmitted: bar.viewModel.sendReply()
        }
        ProminentButton {
            objectName: "replyButton"
            text: "Ответить"
            implicitHeight: 40
            enabled: bar.viewModel.canReply
            busy: bar.viewModel.busy
            onClicked: bar.viewModel.sendReply()
        }
    }
}
