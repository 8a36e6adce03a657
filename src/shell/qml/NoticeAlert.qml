import QtQuick
import QtQuick.Controls
import VexaAI.Style
import VexaAI.Shell

// The client's notice as an alert. However it goes away ("Понятно", Esc, a click outside),
// the notice is cleared.
Dialog {
    id: alert
    objectName: "noticeAlert"

    required property RootViewModel model

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(420, parent.width - 48)
    modal: true
    focus: true
    title: "Vexa AI"
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    padding: 22
    topPadding: 8

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
        text: alert.title
        padding: 22
        bottomPadding: 0
        font.pixelSize: VexaTheme.headingSize
        font.weight: Font.Bold
        color: VexaTheme.textPrimary
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }

    // The text stays while the alert fades out after the notice is gone.
    property string shownText

    // At the start of closing, so a notice that arrives while the alert fades out opens it again.
    onAboutToHide: model.dismissNotice()

    function follow() {
        if (model.hasNotice) {
            shownText = model.notice
            open()
        } else {
            close()
        }
    }
    Component.onCompleted: follow()
    Connections {
        target: alert.model
        function onNoticeChanged() { alert.follow() }
    }

    Label {
        objectName: "noticeText"
        width: alert.availableWidth
        textFormat: Text.PlainText
        text: alert.shownText
        wrapMode: Text.WordWrap
        font.pixelSize: VexaTheme.bodySize
        color: VexaTheme.textPrimary
        Accessible.role: Accessible.AlertMessage
        Accessible.name: text
    }

    footer: DialogButtonBox {
        background: null
        Button {
            objectName: "noticeOkButton"
            text: "Понятно"
            flat: true
            font.capitalization: Font.MixedCase
            font.pixelSize: VexaTheme.bodySize
            DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
        }
    }
}
