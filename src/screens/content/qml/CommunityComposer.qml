// The post bar of a group, for members: "Сообщение" (one to four lines), "Анонимно" and
// "Отправить". Enter sends, Shift+Enter breaks the line.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

Rectangle {
    id: bar

    required property CommunityDetailViewModel viewModel

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
                objectName: "draftField"
                placeholderText: "Сообщение"
                text: bar.viewModel.draft
                wrapMode: TextEdit.Wrap
                textFormat: TextEdit.PlainText
                Accessible.name: placeholderText
                // Tab moves on instead of typing a tab character, so the keyboard is never
                // trapped here.
                Keys.onTabPressed: nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
                Keys.onBacktabPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
                onTextChanged: if (text !== bar.viewModel.draft) bar.viewModel.draft = text
                Keys.onPressed: event => {
                    if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                            && !(event.modifiers & Qt.ShiftModifier)
                            && preeditText.length === 0) {
                        bar.viewModel.send()
                        event.accepted = true
                    }
                }
            }
        }
        Switch {
            objectName: "anonymousSwitch"
            text: "Анонимно"
            font.pixelSize: VexaTheme.captionSize
            checked: bar.viewModel.anonymous
            focusPolicy: Qt.StrongFocus
            onToggled: bar.viewModel.anonymous = checked
        }
        ProminentButton {
            objectName: "sendPostButton"
            text: "Отправить"
            implicitHeight: 40
            enabled: bar.viewModel.canSend
            busy: bar.viewModel.sending
            onClicked: bar.viewModel.send()
        }
    }
}
