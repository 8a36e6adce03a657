import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// The last picture: saved as PNG or copied ("Сохранить или поделиться"), or taken as the
// picture to edit next.
GlassCard {
    id: card

    required property ImagesViewModel viewModel
    signal saveRequested()

    ColumnLayout {
        spacing: 12

        ImagesPictureFrame {
            objectName: "resultPicture"
            Layout.fillWidth: true
            image: card.viewModel.resultPreview
            maximumHeight: 520
            accessibleName: "Результат"
        }
        Flow {
            Layout.fillWidth: true
            spacing: 8
            ProminentButton {
                id: shareButton
                objectName: "shareImageButton"
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
