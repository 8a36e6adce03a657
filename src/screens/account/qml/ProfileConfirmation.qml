import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// A confirmation of a destructive action: the question, the red button and "Отмена". Esc, a
// click outside and "Отмена" only close it; the keyboard goes back to where it was. It opens on
// "Отмена", so a stray Enter does nothing; Tab reaches the red button.
Dialog {
    id: dialog

    property string actionText
    // Whether the screen wants it open; `dismissed` reports every way it closes.
    property bool shown: false

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

    property Item returnFocusTo: null
    onAboutToShow: returnFocusTo = Window.activeFocusItem
    onOpened: cancelButton.forceActiveFocus()
    onClosed: {
        dismissed()
        if (returnFocusTo)
            returnFocusTo.forceActiveFocus()
        returnFocusTo = null
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
            Accessible.name: text
            onClicked: dialog.close()
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
        ProminentButton {
            id: confirmButton
            objectName: "confirmationAccept"
            text: dialog.actionText
            tint: "#e5484d"
            onClicked: {
                dialog.close()
                dialog.confirmed()
            }
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
    }
}
