import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Chat

// What an empty chat shows: a greeting and quick prompts that fill the composer.
Item {
    id: panel
    objectName: "welcomePanel"

    required property ChatViewModel viewModel

    ColumnLayout {
        anchors.centerIn: parent
        width: parent.width - 32
        spacing: 14

        VexaIcon {
            Layout.alignment: Qt.AlignHCenter
            symbol: "sparkles"
            size: 44
            color: VexaTheme.accentSecondary
        }
        Label {
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            text: "Привет! Я Vexa AI"
            font.pixelSize: VexaTheme.titleSize
            font.weight: Font.Bold
            color: VexaTheme.textPrimary
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Label {
            Layout.fillWidth: true
            Layout.maximumWidth: 620
            Layout.alignment: Qt.AlignHCenter
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            text: "Задайте вопрос, попросите помочь с текстом или кодом, либо прикрепите фотографию для анализа."
            font.pixelSize: VexaTheme.bodySize
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        ListView {
            id: prompts
            objectName: "quickPrompts"
            Layout.fillWidth: true
            Layout.topMargin: 6
            implicitHeight: 40
            orientation: ListView.Horizontal
            spacing: 8
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: panel.viewModel.composer.quickPrompts
            // Centred while the row fits; scrolls sideways when it does not.
            leftMargin: Math.max(0, (width - contentWidth) / 2)
            ScrollBar.horizontal: ScrollBar { policy: ScrollBar.AsNeeded }

            delegate: Button {
                id: prompt
                required property string modelData
                text: modelData
                flat: true
                font.capitalization: Font.MixedCase
                font.pixelSize: VexaTheme.bodySize - 1
                Accessible.name: modelData
                onClicked: panel.viewModel.composer.useQuickPrompt(modelData)
                background: Rectangle {
                    radius: 18
                    color: prompt.hovered ? VexaTheme.selectionFill : VexaTheme.cardFill
                    border.width: 1
                    border.color: VexaTheme.cardOutline
                }
            }
        }
    }
}
