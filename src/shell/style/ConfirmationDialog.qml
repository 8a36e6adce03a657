import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// Asks before a destructive step: the question (`title`), "Отмена" and the red `actionText`.
// It opens on "Отмена", the safe button, so a stray Enter only closes it; Tab reaches the red
// one. `confirmed` follows the red button; `dismissed` every other way of closing ("Отмена",
// Esc, a click outside). The keyboard goes back to where it was unless something else took it.
// A screen that keeps the question in its view-model binds `shown` and clears it `onClosed`.
Dialog {
    id: dialog

    property string actionText: "Удалить"
    property bool shown: false
    property bool accepting: false
    readonly property PopupFocusReturn focusReturn: PopupFocusReturn {}

    signal confirmed()
    signal dismissed()

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(420, parent ? parent.width - 48 : 420)
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    padding: 22
    onShownChanged: shown ? open() : close()
    Component.onCompleted: if (shown) open()

    onAboutToShow: focusReturn.target = parent ? parent.Window.activeFocusItem : null
    onOpened: cancelButton.forceActiveFocus()
    onClosed: {
        focusReturn.restore()
        const accepted = accepting
        accepting = false
        if (accepted)
            confirmed()
        else
            dismissed()
    }

    Overlay.modal: Rectangle {
        color: VexaTheme.dim
    }
    background: Rectangle {
        radius: VexaTheme.cardRadius
        color: VexaTheme.sheetFill
        border.width: 1
        border.color: VexaTheme.cardOutline
    }
    header: Label {
        textFormat: Text.PlainText
        text: dialog.title
        padding: 22
        bottomPadding: 0
        wrapMode: Text.Wrap
        font.pixelSize: VexaTheme.headingSize
        font.weight: Font.Bold
        color: VexaTheme.textPrimary
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }

    contentItem: RowLayout {
        spacing: 12
        Item { Layout.fillWidth: true }
        Button {
            id: cancelButton
            objectName: "confirmationCancel"
            text: "Отмена"
            flat: true
            font.capitalization: Font.MixedCase
            Accessible.name: text
            onClicked: dialog.close()
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
        ProminentButton {
            objectName: "confirmationAccept"
            text: dialog.actionText
            tint: VexaTheme.destructive
            onClicked: {
                dialog.accepting = true
                dialog.close()
            }
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
    }
}
