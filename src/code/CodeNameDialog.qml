// A modal prompt for one name, with "Создать" and "Отмена". Shown while `showing` is true;
// closing it any other way counts as "Отмена".
import QtQuick
import QtQuick.Controls
import VexaAI.Style

Dialog {
    id: dialog

    property bool showing: false
    property string text
    property string placeholder

    signal textEdited(string text)
    signal confirmed()
    signal cancelled()

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(360, parent ? parent.width - 32 : 360)
    modal: true
    visible: false
    focus: true
    onShowingChanged: showing ? open() : close()
    onOpened: field.forceActiveFocus()
    onClosed: if (showing) cancelled()

    TextField {
        id: field
        width: parent.width
        objectName: "nameField"
        placeholderText: dialog.placeholder
        text: dialog.text
        Accessible.name: dialog.title
        Accessible.description: placeholderText
        onTextEdited: dialog.textEdited(text)
        onAccepted: dialog.confirmed()
    }

    footer: DialogButtonBox {
        TextButton {
            objectName: "cancelButton"
            text: "Отмена"
            onClicked: dialog.cancelled()
        }
        TextButton {
            objectName: "createButton"
            text: "Создать"
            onClicked: dialog.confirmed()
        }
    }
}
