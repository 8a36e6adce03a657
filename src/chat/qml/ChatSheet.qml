import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// A sheet over the chat: a title, "Готово", and its content below. Esc closes it too.
Popup {
    id: sheet

    required property string title
    default property alias content: body.data

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(520, parent.width - 24)
    height: Math.min(620, parent.height - 48)
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside

    Overlay.modal: Rectangle {
        color: VexaTheme.panelDim
    }
    background: Rectangle {
        radius: VexaTheme.cardRadius
        color: VexaTheme.panelFill
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
                Layout.fillWidth: true
                textFormat: Text.PlainText
                text: sheet.title
                elide: Text.ElideRight
                font.pixelSize: VexaTheme.headingSize
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Button {
                text: "Готово"
                flat: true
                font.capitalization: Font.MixedCase
                font.pixelSize: VexaTheme.bodySize
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
