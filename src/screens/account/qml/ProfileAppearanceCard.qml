import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account
import VexaAI.Spell

// How the chat looks and feels: the text size (the chat follows at once), feedback, whether an
// answer that arrives in the background is announced on the desktop, and the spelling of what
// the user types (off limits, with the reason, where no dictionary is installed).
GlassCard {
    id: card

    required property ProfileViewModel viewModel

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            title: "Вид и удобство"
            symbol: "textformat.size"
        }
        Label {
            objectName: "textSizeSample"
            Layout.fillWidth: true
            text: "Пример ответа Vexa AI"
            wrapMode: Text.Wrap
            font.pointSize: card.viewModel.chatTextSize
            color: VexaTheme.textPrimary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        ProfileMetricRow {
            Layout.fillWidth: true
            title: "Размер текста в чате"
            value: Math.round(card.viewModel.chatTextSize).toString()
        }
        Slider {
            objectName: "textSizeSlider"
            Layout.fillWidth: true
            from: 14
            to: 24
            stepSize: 1
            snapMode: Slider.SnapAlways
            value: card.viewModel.chatTextSize
            onMoved: card.viewModel.chatTextSize = value
            Accessible.name: "Размер текста в чате"
        }
        Switch {
            objectName: "hapticsSwitch"
            Layout.fillWidth: true
            text: "Отклик при отправке и копировании"
            checked: card.viewModel.chatHaptics
            onToggled: card.viewModel.chatHaptics = checked
            Accessible.name: text
        }
        Switch {
            objectName: "notifyAnswersSwitch"
            Layout.fillWidth: true
            text: "Уведомлять о готовом ответе"
            checked: card.viewModel.notifyAnswers
            onToggled: card.viewModel.notifyAnswers = checked
            Accessible.name: text
            Accessible.description: "Когда окно Vexa AI не активно"
        }
        SpellSettings {
            id: spelling
        }
        Switch {
            objectName: "spellCheckSwitch"
            Layout.fillWidth: true
            text: "Проверять орфографию"
            enabled: spelling.available
            checked: spelling.enabled && spelling.available
            onToggled: spelling.enabled = checked
            Accessible.name: text
            Accessible.description: spelling.note
        }
        Label {
            objectName: "spellCheckNote"
            Layout.fillWidth: true
            visible: spelling.note.length > 0
            text: spelling.note
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.captionSize
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
