import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// A text answer of an image model: selectable, with "Поделиться" (copy, save as a file or mail).
GlassCard {
    id: card

    required property ImagesViewModel viewModel
    signal saveRequested()

    ColumnLayout {
        spacing: 10

        Label {
            text: "Vexa AI · текстовый ответ"
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.captionSize
        }
        TextEdit {
            objectName: "textResult"
            Layout.fillWidth: true
            text: card.viewModel.textResult
            textFormat: TextEdit.PlainText
            readOnly: true
            selectByMouse: true
            selectByKeyboard: true
            wrapMode: TextEdit.Wrap
            color: VexaTheme.textPrimary
            selectionColor: VexaTheme.selectionFill
            font.pixelSize: VexaTheme.bodySize
            activeFocusOnTab: true
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        Button {
            id: shareButton
            objectName: "shareTextButton"
            text: "Поделиться"
            flat: true
            font.capitalization: Font.MixedCase
            onClicked: {
                shareMenu.returnFocus = shareButton
                shareMenu.popup(shareButton, 0, shareButton.height)
            }
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
    }
    ShareMenu {
        id: shareMenu
        objectName: "shareTextMenu"
        onCopyRequested: card.viewModel.copyTextResult()
        onSaveRequested: card.saveRequested()
        onMailRequested: card.viewModel.shareTextResultByMail()
    }
}
