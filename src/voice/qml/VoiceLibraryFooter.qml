import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Voice

// Below the voice rows: where more voices come from, the help and refresh buttons, and the
// speech rate with the button that stops a sample.
ColumnLayout {
    id: footer

    required property VoiceLibraryViewModel viewModel
    // Shift+Tab from the first control: back into the rows above.
    signal backtabbedOut()
    function focusFirst() { downloadHelp.forceActiveFocus(Qt.TabFocusReason) }

    spacing: 10

    Item { implicitHeight: 4 }

    GlassCard {
        Layout.fillWidth: true
        ColumnLayout {
            spacing: 8
            Label {
                textFormat: Text.PlainText
                text: "Ещё больше голосов"
                color: VexaTheme.textPrimary
                font.pixelSize: VexaTheme.bodySize
                font.weight: Font.DemiBold
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: footer.viewModel.moreVoicesText
                wrapMode: Text.Wrap
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.captionSize
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Flow {
                Layout.fillWidth: true
                spacing: 8
                VoiceButton {
                    id: downloadHelp
                    objectName: "downloadHelp"
                    symbol: "arrow.down.circle"
                    text: footer.viewModel.downloadHelpButton
                    onClicked: footer.viewModel.showingDownloadHelp = true
                    Keys.onBacktabPressed: footer.backtabbedOut()
                }
                VoiceButton {
                    objectName: "refreshVoices"
                    symbol: "arrow.clockwise"
                    text: "Обновить список голосов"
                    enabled: !footer.viewModel.loading
                    onClicked: footer.viewModel.refreshVoices()
                }
            }
        }
    }

    GlassCard {
        Layout.fillWidth: true
        ColumnLayout {
            spacing: 6
            Label {
                textFormat: Text.PlainText
                text: "Темп речи"
                color: VexaTheme.textPrimary
                font.pixelSize: VexaTheme.bodySize
                font.weight: Font.DemiBold
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Slider {
                objectName: "rate"
                Layout.fillWidth: true
                from: 0.4
                to: 0.62
                stepSize: 0.01
                value: footer.viewModel.rate
                onMoved: footer.viewModel.rate = value
                Accessible.name: "Темп речи"
            }
            VoiceButton {
                objectName: "stopSample"
                symbol: "stop.fill"
                text: "Остановить прослушивание"
                enabled: footer.viewModel.previewSpeaking
                onClicked: footer.viewModel.stopSample()
            }
        }
    }
}
