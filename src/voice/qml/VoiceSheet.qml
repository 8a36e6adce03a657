import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// A modal sheet of the voice screens: a title, optional toolbar buttons before the closing
// button, and the content below. Esc closes it; Tab moves through its controls.
Popup {
    id: sheet

    required property string title
    property string closeTitle: "Готово"
    default property alias content: body.data
    property alias toolbar: tools.data

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(560, parent ? parent.width - 24 : 560)
    height: Math.min(720, parent ? parent.height - 32 : 720)
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape

    Overlay.modal: Rectangle {
        color: VexaTheme.dim
    }
    background: Rectangle {
        radius: VexaTheme.cardRadius
        color: VexaTheme.sheetFill
        border.width: 1
        border.color: VexaTheme.cardOutline
    }

    contentItem: ColumnLayout {
        spacing: 8

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 10
            Layout.topMargin: 12

            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: sheet.title
                elide: Text.ElideRight
                font.pixelSize: VexaTheme.headingSize
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Row {
                id: tools
                spacing: 4
            }
            VoiceButton {
                objectName: "sheetCloseButton"
                text: sheet.closeTitle
                flat: true
                onClicked: sheet.close()
            }
        }
        Item {
            id: body
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.leftMargin: 12
            Layout.rightMargin: 12
            Layout.bottomMargin: 12
        }
    }
}
