import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Voice

// The hands-free conversation as a sheet. Showing it refreshes the account and asks for the
// fast model; closing it ends everything the conversation started (microphone, speech, turns).
VoiceSheet {
    id: sheet
    objectName: "voiceConversation"

    property VoiceConversationViewModel viewModel: VoiceConversationViewModel {}

    title: "Разговор с Vexa"
    closeTitle: "Закрыть"

    onAboutToShow: sheet.viewModel.appear()
    onOpened: mainButton.forceActiveFocus()
    onClosed: sheet.viewModel.disappear()
    Component.onDestruction: sheet.viewModel.disappear()

    toolbar: VoiceButton {
        objectName: "chooseVoice"
        flat: true
        symbol: "person.wave.2"
        accessibleName: "Выбрать голос"
        ToolTip.visible: hovered
        ToolTip.text: "Выбрать голос"
        onClicked: sheet.viewModel.showingVoices = true
    }

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

            VexaIcon {
                id: statusIcon
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 8
                symbol: sheet.viewModel.voice.isListening ? "waveform.circle.fill" : "waveform.circle"
                size: 64
                color: sheet.viewModel.voice.isListening ? VexaTheme.accentSecondary : VexaTheme.accent
                SequentialAnimation on opacity {
                    running: sheet.viewModel.voice.isListening || sheet.viewModel.voice.isSpeaking
                    loops: Animation.Infinite
                    onRunningChanged: if (!running) statusIcon.opacity = 1
                    NumberAnimation { to: 0.45; duration: 700; easing.type: Easing.InOutQuad }
                    NumberAnimation { to: 1; duration: 700; easing.type: Easing.InOutQuad }
                }
            }
            Label {
                textFormat: Text.PlainText
                objectName: "conversationStatus"
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                text: sheet.viewModel.statusText
                wrapMode: Text.Wrap
                color: VexaTheme.textPrimary
                font.pixelSize: VexaTheme.headingSize
                font.weight: Font.DemiBold
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            ConversationModelCard {
                Layout.fillWidth: true
                viewModel: sheet.viewModel
            }
            ConversationTalk {
                Layout.fillWidth: true
                viewModel: sheet.viewModel
            }
            ProminentButton {
                id: mainButton
                objectName: "mainButton"
                Layout.fillWidth: true
                text: sheet.viewModel.active ? "Завершить разговор" : "Начать разговор"
                symbol: sheet.viewModel.active ? "stop.fill" : "mic.fill"
                tint: sheet.viewModel.active ? VexaTheme.destructive : VexaTheme.accent
                enabled: sheet.viewModel.mainButtonEnabled
                busy: sheet.viewModel.choosingModel && !sheet.viewModel.active
                onClicked: sheet.viewModel.toggleConversation()
                Keys.onReturnPressed: if (enabled) clicked()
                Keys.onEnterPressed: if (enabled) clicked()
            }
            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: "Речь преобразуется в текст, затем отправляется как обычное сообщение Vexa. Ответ озвучивается устройством. Это диалог по очереди, не одновременный звонок."
                wrapMode: Text.Wrap
                color: VexaTheme.textTertiary
                font.pixelSize: VexaTheme.captionSize
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
    }

    // Space interrupts the answer, and held while listening is push-to-talk.
    TalkKey {
        objectName: "talkKey"
        key: Qt.Key_Space
        enabled: sheet.opened && sheet.viewModel.active && !sheet.viewModel.showingVoices
        onPressed: sheet.viewModel.talkKeyPressed()
        onReleased: sheet.viewModel.talkKeyReleased()
    }

    VexaVoiceLibraryView {
        id: library
        visible: sheet.viewModel.showingVoices
        onClosed: sheet.viewModel.showingVoices = false
    }
}
