// "Новая тема": a title and the first message. "Отмена" (or Esc) closes it and keeps both texts;
// "Создать" waits for the service and closes only when the topic exists. Enter in the title
// field or Ctrl+Enter in the message creates it.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

Dialog {
    id: dialog

    required property CommunityViewModel viewModel

    objectName: "newTopicDialog"
    title: "Новая тема"
    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(480, parent ? parent.width - 32 : 480)
    modal: true
    closePolicy: Popup.CloseOnEscape
    visible: viewModel.showingCreate
    onOpened: titleField.forceActiveFocus()
    onClosed: if (viewModel.showingCreate) viewModel.cancelCreate()

    ColumnLayout {
        width: parent.width
        spacing: 12

        TextField {
            id: titleField
            objectName: "topicTitleField"
            Layout.fillWidth: true
            placeholderText: "Название темы"
            text: dialog.viewModel.newTitle
            readOnly: dialog.viewModel.creating
            Accessible.name: placeholderText
            onTextEdited: dialog.viewModel.newTitle = text
            onAccepted: dialog.viewModel.create()
            KeyNavigation.tab: bodyField
        }

        ScrollView {
            Layout.fillWidth: true
            // Three to eight lines, then it scrolls.
            Layout.preferredHeight: Math.min(Math.max(bodyField.implicitHeight,
                                                      bodyField.font.pixelSize * 1.4 * 3 + 24),
                                             bodyField.font.pixelSize * 1.4 * 8 + 24)
            TextArea {
                id: bodyField
                objectName: "topicBodyField"
                placeholderText: "Первое сообщение"
                text: dialog.viewModel.newBody
                readOnly: dialog.viewModel.creating
                wrapMode: TextEdit.Wrap
                textFormat: TextEdit.PlainText
                Accessible.name: placeholderText
                onTextChanged: if (text !== dialog.viewModel.newBody) dialog.viewModel.newBody = text
                KeyNavigation.priority: KeyNavigation.BeforeItem
                KeyNavigation.tab: cancelButton
                SpellingSupport {
                    id: spelling
                    area: bodyField
                }
                Keys.onPressed: event => {
                    if (spelling.handleKey(event))
                        return
                    if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                            && (event.modifiers & Qt.ControlModifier)) {
                        dialog.viewModel.create()
                        event.accepted = true
                    }
                }
            }
        }
    }

    footer: DialogButtonBox {
        TextButton {
            id: cancelButton
            objectName: "cancelTopicButton"
            text: "Отмена"
            onClicked: dialog.viewModel.cancelCreate()
        }
        ProminentButton {
            objectName: "createTopicButton"
            text: "Создать"
            implicitHeight: 40
            enabled: dialog.viewModel.canCreate
            busy: dialog.viewModel.creating
            onClicked: dialog.viewModel.create()
        }
    }
}
