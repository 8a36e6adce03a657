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

        ScrollView {
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(field.implicitHeight,
                                             field.font.pixelSize * 1.4 * 4 + 20)
            TextArea {
                id: field
                objectName: "replyField"
                placeholderText: "Ваш ответ"
                text: bar.viewModel.reply
                wrapMode: TextEdit.Wrap
                textFormat: TextEdit.PlainText
                Accessible.name: placeholderText
                // Tab moves on instead of typing a tab character, so the keyboard is never
                // trapped here.
                Keys.onTabPressed: nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
                Keys.onBacktabPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
                onTextChanged: if (text !== bar.viewModel.reply) bar.viewModel.reply = text
                Keys.onPressed: event => {
                    if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                            && !(event.modifiers & Qt.ShiftModifier)
                            && preeditText.length === 0) {
                        bar.viewModel.sendReply()
                        event.accepted = true
                    }
                }
            }
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
