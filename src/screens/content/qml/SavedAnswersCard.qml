import QtQuick
import QtQuick.Controls
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

        WorkspaceCardHeader {
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
            ChatIconButton {
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
            model: card.viewModel.answers
            delegate: WorkspaceDisclosure {
                id: answer
                required property var modelData
                required property int index
                Layout.fillWidth: true
                title: modelData.title

                AnswerText {
                    Layout.fillWidth: true
                    text: answer.modelData.content
                }
                RowLayout {
                    ChatIconButton {
                        id: shareButton
                        symbol: "square.and.arrow.up"
                        title: "Поделиться"
                        onClicked: {
                            shareMenu.focusReturn.target = shareButton
                            shareMenu.popup(shareButton, 0, shareButton.height)
                        }
                        Keys.onReturnPressed: clicked()
                    }
                    ChatIconButton {
                        symbol: "trash"
                        label: "Удалить ответ"
                        tint: "#ff6b6b"
                        onClicked: card.viewModel.askDelete(answer.index)
                        Keys.onReturnPressed: clicked()
                    }
                }
                WorkspaceShareMenu {
                    id: shareMenu
                    onCopyRequested: card.viewModel.copyAnswer(answer.index)
                    onMailRequested: card.viewModel.shareAnswerByMail(answer.index)
                }
            }
        }
        RowLayout {
            Layout.fillWidth: true
            Button {
                font.capitalization: Font.MixedCase
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
                text: "Страница " + (card.viewModel.page + 1)
                color: VexaTheme.textSecondary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Button {
                font.capitalization: Font.MixedCase
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
        WorkspaceConfirmDialog {
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
