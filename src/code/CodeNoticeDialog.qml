// The workspace's own alert: "Vexa Code" with the store's notice and one button. However it
// is dismissed, the notice is cleared.
import QtQuick
import QtQuick.Controls
import VexaAI.Style
import VexaAI.Code

Dialog {
    id: dialog

    required property CodeProjectStore store

    objectName: "noticeDialog"
    title: "Vexa Code"
    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(400, parent ? parent.width - 32 : 400)
    modal: true
    visible: false
    onClosed: if (store.hasNotice) store.clearNotice()
    Component.onCompleted: if (store.hasNotice) open()

    Connections {
        target: dialog.store
        function onNoticeChanged() { dialog.store.hasNotice ? dialog.open() : dialog.close() }
    }

    contentItem: Label {
        objectName: "noticeText"
        textFormat: Text.PlainText
        text: dialog.store.notice
        wrapMode: Text.Wrap
        Accessible.role: Accessible.AlertMessage
        Accessible.name: text
    }

    footer: DialogButtonBox {
        TextButton {
            objectName: "noticeButton"
            text: "Понятно"
            onClicked: dialog.store.clearNotice()
        }
    }
}
