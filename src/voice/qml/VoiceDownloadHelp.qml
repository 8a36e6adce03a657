import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Voice

// How to get more voices on this system, with the vendor's article where there is one.
VoiceSheet {
    id: sheet
    objectName: "downloadHelpSheet"

    required property VoiceLibraryViewModel viewModel

    title: "Загрузка голосов"
    width: Math.min(500, parent ? parent.width - 40 : 500)
    height: Math.min(560, parent ? parent.height - 60 : 560)

    Flickable {
        id: scroller
        anchors.fill: parent
        clip: true
        contentHeight: column.implicitHeight
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}

        ColumnLayout {
            id: column
            width: parent.width
            spacing: 12

            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                Layout.leftMargin: 8
                text: "Более естественные голоса"
                wrapMode: Text.Wrap
                color: VexaTheme.textPrimary
                font.pixelSize: VexaTheme.headingSize
                font.weight: Font.DemiBold
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Repeater {
                model: sheet.viewModel.downloadHelpParagraphs
                Label {
                    textFormat: Text.PlainText
                    required property string modelData
                    Layout.fillWidth: true
                    Layout.leftMargin: 8
                    Layout.rightMargin: 8
                    text: modelData
                    wrapMode: Text.Wrap
                    color: VexaTheme.textSecondary
                    font.pixelSize: VexaTheme.bodySize
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
            }
            VoiceButton {
                visible: sheet.viewModel.downloadHelpLink.startsWith("https://")
                flat: true
                text: sheet.viewModel.downloadHelpLinkTitle
                onClicked: Qt.openUrlExternally(sheet.viewModel.downloadHelpLink)
            }
        }
    }
}
