import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// Speech: the language, the voice (library and sample), reading answers aloud, the pace and
// where speech is recognised.
GlassCard {
    id: card

    required property ProfileViewModel viewModel

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            title: "Голос и диктовка"
            symbol: "waveform"
        }
        ProfilePicker {
            objectName: "speechLanguagePicker"
            Layout.fillWidth: true
            label: "Язык речи"
            choices: card.viewModel.speechLanguageChoices
            selected: card.viewModel.voiceLocale
            onChosen: (value) => card.viewModel.voiceLocale = value
        }
        ProfileActionButton {
            objectName: "voiceLibraryButton"
            text: card.viewModel.voiceLibraryButton
            symbol: "person.wave.2"
            onClicked: card.viewModel.showingVoiceLibrary = true
        }
        Label {
            objectName: "voiceCaption"
            Layout.fillWidth: true
            text: card.viewModel.voiceCaption
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.captionSize + 1
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        ProfileActionButton {
            objectName: "voiceSampleButton"
            text: "Послушать голос"
            symbol: "speaker.wave.2"
            onClicked: card.viewModel.playVoiceSample()
        }
        Switch {
            objectName: "autoSpeakSwitch"
            Layout.fillWidth: true
            text: "Озвучивать ответы в обычном чате"
            checked: card.viewModel.autoSpeak
            onToggled: card.viewModel.autoSpeak = checked
            Accessible.name: text
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            Label {
                text: "Скорость голоса"
                font.pixelSize: VexaTheme.bodySize
                color: VexaTheme.textPrimary
                Accessible.ignored: true
            }
            Slider {
                objectName: "voiceRateSlider"
                Layout.fillWidth: true
                from: 0.4
                to: 0.62
                stepSize: 0.01
                value: card.viewModel.voiceRate
                onMoved: card.viewModel.voiceRate = value
                Accessible.name: "Скорость голоса"
            }
        }
        Switch {
            objectName: "onlineSpeechSwitch"
            Layout.fillWidth: true
            visible: card.viewModel.offersCloudRecognition
            text: card.viewModel.cloudRecognitionSwitch
            checked: card.viewModel.allowOnlineSpeech
            onToggled: card.viewModel.allowOnlineSpeech = checked
            Accessible.name: text
        }
        Label {
            Layout.fillWidth: true
            textFormat: Text.PlainText
            text: card.viewModel.voiceSettingsCaption
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.captionSize
            color: VexaTheme.textTertiary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
