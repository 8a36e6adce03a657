import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// "Редактировать изображение": the picture to edit (picked in the file dialog or taken from
// the result), the instruction and the edit button.
GlassCard {
    id: card

    required property ImagesViewModel viewModel
    signal pickRequested()

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            title: "Редактировать изображение"
        }
        Label {
            text: "Выберите фото и опишите, что изменить. Пропорции исходника сохраняются."
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.captionSize + 1
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        RowLayout {
            spacing: 8
            TextButton {
                id: pickButton
                objectName: "pickButton"
                text: card.viewModel.hasSource ? "Заменить изображение" : "Выбрать изображение"
                icon.width: 0
                onClicked: card.pickRequested()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                contentItem: Row {
                    spacing: 8
                    VexaIcon { symbol: "photo.on.rectangle"; size: 18; anchors.verticalCenter: parent.verticalCenter }
                    Text {
                        textFormat: Text.PlainText
                        text: pickButton.text
                        color: VexaTheme.textPrimary
                        font.pixelSize: VexaTheme.bodySize
                        anchors.verticalCenter: parent.verticalCenter
                    }
                }
            }
            BusyIndicator {
                visible: card.viewModel.loadingPicture
                running: visible
                implicitWidth: 28
                implicitHeight: 28
                Accessible.name: "Открываем изображение"
            }
        }
        ImagesPictureFrame {
            objectName: "sourcePicture"
            Layout.fillWidth: true
            visible: card.viewModel.hasSource
            image: card.viewModel.sourcePreview
            maximumHeight: 280
            accessibleName: "Изображение для редактирования"
        }
        GrowingTextArea {
            objectName: "editPromptField"
            areaName: "editPromptFieldArea"
            framed: true
            Layout.fillWidth: true
            minLines: 2
            maxLines: 5
            text: card.viewModel.editPrompt
            onTextChanged: card.viewModel.editPrompt = text
            placeholderText: "Что изменить на изображении?"
            accessibleName: "Что изменить на изображении?"
            onSubmitted: card.viewModel.edit()
        }
        Label {
            visible: card.viewModel.showUnavailable
            text: "Для вашего тарифа редактирование недоступно или лимит исчерпан."
            wrapMode: Text.Wrap
            color: VexaTheme.warning
            font.pixelSize: VexaTheme.bodySize
            Layout.fillWidth: true
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
        }
        ProminentButton {
            objectName: "editButton"
            Layout.fillWidth: true
            tint: VexaTheme.accentSecondary
            text: card.viewModel.generating ? "Редактируем…" : "Редактировать через ИИ"
            symbol: "wand.and.stars"
            busy: card.viewModel.generating
            enabled: card.viewModel.canEdit
            onClicked: card.viewModel.edit()
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
    }
}
