import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Voice

// The fast model the conversation talks to, why the service chose it, and a way to ask again
// while no conversation runs.
GlassCard {
    id: card

    required property VoiceConversationViewModel viewModel

    ColumnLayout {
        spacing: 6
        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            VexaIcon {
                symbol: "bolt.fill"
                color: card.viewModel.modelAvailable ? VexaTheme.favorite : VexaTheme.textTertiary
            }
            Label {
                textFormat: Text.PlainText
                objectName: "modelTitle"
                Layout.fillWidth: true
                text: card.viewModel.selectedModelTitle
                wrapMode: Text.Wrap
                color: VexaTheme.textPrimary
                font.pixelSize: VexaTheme.bodySize
                font.weight: Font.DemiBold
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
        Label {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            visible: text.length > 0
            text: card.viewModel.modelReason
            wrapMode: Text.Wrap
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.captionSize
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        Label {
            textFormat: Text.PlainText
            objectName: "modelWarning"
            Layout.fillWidth: true
            visible: !card.viewModel.modelAvailable && !card.viewModel.choosingModel
            text: "Быстрая модель пока недоступна. Обновите данные или проверьте лимиты аккаунта."
            wrapMode: Text.Wrap
            color: VexaTheme.warningStrong
            font.pixelSize: VexaTheme.captionSize
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
        }
        VoiceButton {
            objectName: "refreshModel"
            visible: !card.viewModel.active
            enabled: !card.viewModel.choosingModel
            flat: true
            symbol: "arrow.clockwise"
            text: "Обновить выбор модели"
            onClicked: card.viewModel.refreshModelChoice()
        }
    }
}
