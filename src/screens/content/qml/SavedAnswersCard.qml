import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import VexaAI.Chat
import VexaAI.Content
import VexaAI.Style
import VexaAI.Answer

// The collection of saved answers shared with the bot, a page at a time, and the recipe library.
GlassCard {
    id: card

    readonly property SavedAnswersViewModel viewModel: SavedAnswersViewModel {}

    Component.onCompleted: viewModel.appear()

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            symbol: "star.fill"
            title: "Сохранённые ответы"
            trailing: card.viewModel.usage
            caption: "Общая коллекция с Telegram и сайтом. Не добавляется в контекст ИИ автоматически."
        }
        RowLayout {
            Layout.fillWidth: true
            TextField {
                objectName: "answersSearchField"
                Layout.fillWidth: true
                placeholderText: "Поиск в коллекции"
                selectByMouse: true
                text: card.viewModel.query
                onTextEdited: card.viewModel.query = text
                onAccepted: card.viewModel.search()
                Accessible.name: placeholderText
            }
            IconButton {
                objectName: "answersSearchButton"
                symbol: "magnifyingglass"
                label: "Искать в коллекции"
                enabled: !card.viewModel.busy
                onClicked: card.viewModel.search()
                Keys.onReturnPressed: clicked()
            }
        }
        BusyIndicator {
            Layout.alignment: Qt.AlignHCenter
            visible: card.viewModel.busy
            running: visible
            Accessible.name: "Загрузка"
        }
        Label {
            Layout.fillWidth: true
            visible: card.viewModel.isEmpty
            text: "Пока пусто. Удерживайте ответ в чате и выберите «Сохранить во Vexa»."
            wrapMode: Text.Wrap
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        Repeater {
            id: answerRows
            model: card.viewModel.answers
            onItemRemoved: (index, item) => rowFocus.rowRemoved(index, item)
            delegate: WorkspaceDisclosure {
                id: answer
                required property int index
                required title
                required property string content
                readonly property Item focusTarget: answer.header
                Layout.fillWidth: true

                AnswerText {
                    Layout.fillWidth: true
                    text: answer.content
                }
                RowLayout {
                    IconButton {
                        id: shareButton
                        objectName: "shareAnswerButton"
                        symbol: "square.and.arrow.up"
                        title: "Поделиться"
                        onClicked: {
                            shareMenu.returnFocus = shareButton
                            shareMenu.popup(shareButton, 0, shareButton.height)
                        }
                        Keys.onReturnPressed: clicked()
                    }
                    IconButton {
                        symbol: "trash"
                        label: "Удалить ответ"
                        tint: VexaTheme.error
                        onClicked: card.viewModel.askDelete(answer.index)
                        Keys.onReturnPressed: clicked()
                    }
                }
                ShareMenu {
                    id: shareMenu
                    onCopyRequested: card.viewModel.copyAnswer(answer.index)
                    onSaveRequested: saveDialog.saveAnswer(answer.index)
                    onMailRequested: card.viewModel.shareAnswerByMail(answer.index)
                }
            }
        }
        RowLayout {
            Layout.fillWidth: true
            TextButton {
                objectName: "previousPageButton"
                text: "← Назад"
                enabled: card.viewModel.canPageBack
                onClicked: card.viewModel.previousPage()
                Keys.onReturnPressed: clicked()
            }
            Label {
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                visible: card.viewModel.loaded
                textFormat: Text.PlainText
                text: "Страница " + (card.viewModel.page + 1)
                color: VexaTheme.textSecondary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            TextButton {
                objectName: "nextPageButton"
                Layout.alignment: Qt.AlignRight
                text: "Далее →"
                enabled: card.viewModel.canPageForward
                onClicked: card.viewModel.nextPage()
                Keys.onReturnPressed: clicked()
            }
        }
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 1
            color: VexaTheme.separator
        }
        WorkspaceRecipeLibrary {
            Layout.fillWidth: true
            viewModel: card.viewModel
        }
        VexaFileDialog {
            id: saveDialog
            objectName: "answerSaveDialog"
            property int row: -1
            function saveAnswer(row) {
                saveDialog.row = row
                saveDialog.open()
            }
            title: "Сохранить ответ"
            kind: "documents"
            fileMode: FileDialog.SaveFile
            defaultSuffix: "txt"
            nameFilters: ["Текст (*.txt)", "Markdown (*.md)"]
            onAccepted: card.viewModel.saveAnswerAs(saveDialog.row, selectedFile)
        }
        WorkspaceRowFocus {
            id: rowFocus
            repeater: answerRows
        }
        ConfirmationDialog {
            id: confirm
            title: "Удалить ответ из общей коллекции Vexa?"
            onConfirmed: card.viewModel.confirmDelete()
            onDismissed: card.viewModel.cancelDelete()
        }
        Connections {
            target: card.viewModel
            function onDeletingChanged() {
                if (card.viewModel.hasDeleting)
                    confirm.open()
            }
        }
    }
}
