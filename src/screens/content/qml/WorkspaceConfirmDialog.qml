import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import VexaAI.Chat
import VexaAI.Style

// Asks before something is deleted. "Отмена" has the keyboard first; "Удалить" confirms. Any
// other way of closing (Esc, a click outside) is "dismissed". The keyboard goes back to where
// it was (the row's trash button), so it can follow the row when the deletion lands.
Dialog {
    id: dialog

    signal confirmed()
    signal dismissed()
    property bool accepting: false
    readonly property PopupFocusReturn focusReturn: PopupFocusReturn {}

    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(420, (parent ? parent.width : 420) - 40)
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    onAboutToShow: focusReturn.target = parent ? parent.Window.activeFocusItem : null
    onOpened: cancelButton.forceActiveFocus()
    onClosed: {
        focusReturn.restore()
        if (accepting)
            dialog.confirmed()
        else
            dialog.dismissed()
        accepting = false
    }

    footer: DialogButtonBox {
        Button {
            font.capitalization: Font.MixedCase
            id: cancelButton
            text: "Отмена"
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            Keys.onReturnPressed: dialog.close()
            Keys.onEnterPressed: dialog.close()
        }
        Button {
            font.capitalization: Font.MixedCase
            objectName: "confirmDeleteButton"
            text: "Удалить"
            flat: true
            Material.foreground: "#ff6b6b"
            DialogButtonBox.buttonRole: DialogButtonBox.DestructiveRole
            onClicked: { dialog.accepting = true; dialog.close() }
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
        onRejected: dialog.close()
    }
}
