import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// The last picture: saved as PNG or copied ("Сохранить или поделиться"), or taken as the
// picture to edit next. After a text answer it is an earlier prompt's picture: captioned so,
// and not offered for saving as the result.
GlassCard {
    id: card

    required property ImagesViewModel viewModel
    signal saveRequested()

    ColumnLayout {
        spacing: 12

        Label {
            objectName: "earlierPictureCaption"
            Layout.fillWidth: true
            visible: card.viewModel.resultIsEarlier
            text: "Изображение по предыдущему запросу"
            wrapMode: Text.Wrap
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.captionSize
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        ImagesPictureFrame {
            objectName: "resultPicture"
            Layout.fillWidth: true
            image: card.viewModel.resultPreview
            maximumHeight: 520
            accessibleName: card.viewModel.resultIsEarlier ? "Изображение по предыдущему запросу" : "Результат"
        }
        Flow {
            Layout.fillWidth: true
            spacing: 8
            ProminentButton {
                id: shareButton
                objectName: "shareImageButton"
                visible: !card.viewModel.resultIsEarlier
                text: "Сохранить или поделиться"
                symbol: "square.and.arrow.up"
                busy: card.viewModel.saving
                onClicked: {
                    shareMenu.returnFocus = shareButton
                    shareMenu.popup(shareButton, 0, shareButton.height)
                }
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
            }
            ProminentButton {
                objectName: "editResultButton"
                text: "Редактировать этот результат"
                symbol: "wand.and.stars"
                tint: VexaTheme.accentSecondary
                onClicked: card.viewModel.editResult()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
            }
        }
    }
    ShareMenu {
        id: shareMenu
        objectName: "shareImageMenu"
        copyTitle: "Скопировать изображение"
        saveTitle: "Сохранить как PNG…"
        offersMail: false
        onCopyRequested: card.viewModel.copyResult()
        onSaveRequested: card.saveRequested()
    }
}
