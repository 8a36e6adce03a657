// The project's conversation with the assistant, oldest first, and the question field.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Code
import VexaAI.Style

ColumnLayout {
    id: pane

    required property CodeWorkspaceViewModel viewModel
    // Puts an answer's code into the open file (see CodeEditorPane.insertCode); null: no file.
    property var insertCode: null

    spacing: 8

    ListView {
        id: list

        objectName: "conversation"
        clip: true
        spacing: 12
        model: pane.viewModel.conversation
        Layout.fillWidth: true
        Layout.fillHeight: true
        ScrollBar.vertical: ScrollBar {}
        // New entries come into view once laid out; scrolling back stays possible.
        onCountChanged: toEnd.restart()
        delegate: CodeMessage {
            width: ListView.view.width
            insertCode: pane.insertCode
        }

        Timer {
            id: toEnd
            interval: 0
            onTriggered: list.positionViewAtEnd()
        }
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: 8

        ScrollView {
            Layout.fillWidth: true
            // One to four lines, then it scrolls.
            Layout.preferredHeight: Math.min(Math.max(question.implicitHeight, question.lineHeight + question.topPadding + question.bottomPadding),
                                             4 * question.lineHeight + question.topPadding + question.bottomPadding)

            TextArea {
                id: question

                readonly property real lineHeight: fontMetrics.lineSpacing

                objectName: "questionField"
                placeholderText: "Спросите о коде или выбранном файле…"
                wrapMode: TextEdit.Wrap
                color: VexaTheme.textPrimary
                text: pane.viewModel.question
                Accessible.name: "Вопрос"
                Accessible.description: placeholderText
                onTextChanged: if (text !== pane.viewModel.question) pane.viewModel.question = text
                Keys.onPressed: event => {
                    if (spelling.handleKey(event))
                        return
                    if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                            && (event.modifiers & Qt.ControlModifier)) {
                        pane.viewModel.send()
                        event.accepted = true
                    }
                }

                FontMetrics {
                    id: fontMetrics
                    font: question.font
                }
                // Misspelled words underlined (not inside `code`), with their menu.
                SpellingSupport {
                    id: spelling
                    area: question
                }
            }
        }

        RoundButton {
            objectName: "sendButton"
            enabled: pane.viewModel.canSend
            flat: true
            Accessible.name: "Отправить вопрос"
            ToolTip.visible: hovered
            ToolTip.text: "Отправить вопрос"
            onClicked: pane.viewModel.send()
            contentItem: Item {
                implicitWidth: 24
                implicitHeight: 24
                BusyIndicator {
                    objectName: "busyIndicator"
                    anchors.fill: parent
                    running: pane.viewModel.store.busy
                    visible: running
                }
                VexaIcon {
                    anchors.fill: parent
                    visible: !pane.viewModel.store.busy
                    symbol: "arrow.up.circle.fill"
                    size: 24
                    color: pane.viewModel.canSend ? VexaTheme.accent : VexaTheme.textTertiary
                }
            }
        }
    }
}
