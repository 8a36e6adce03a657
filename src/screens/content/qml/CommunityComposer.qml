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

        GrowingTextArea {
            Layout.fillWidth: true
            areaName: "draftField"
            placeholderText: "Сообщение"
            submitOnEnter: true
            text: bar.viewModel.draft
            onTextChanged: if (text !== bar.viewModel.draft) bar.viewModel.draft = text
            onSubmitted: bar.viewModel.send()
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
