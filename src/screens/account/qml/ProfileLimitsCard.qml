import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// The tariff's limits and what is used of them, the backdrop switch and the subscription's end.
GlassCard {
    id: card

    required property ProfileViewModel viewModel

    ColumnLayout {
        spacing: 10

        CardHeader {
            Layout.fillWidth: true
            title: "Лимиты"
        }
        Repeater {
            model: card.viewModel.limitRows
            ProfileMetricRow {
                required property var modelData
                Layout.fillWidth: true
                title: modelData.title
                value: modelData.value
            }
        }
        Switch {
            objectName: "reduceEffectsSwitch"
            Layout.fillWidth: true
            text: "Уменьшить фоновые эффекты"
            checked: card.viewModel.reduceEffects
            onToggled: card.viewModel.reduceEffects = checked
            Accessible.name: text
        }
        ProfileMetricRow {
            objectName: "expiryRow"
            Layout.fillWidth: true
            visible: card.viewModel.hasExpiry
            title: "Подписка до"
            value: card.viewModel.expiryLabel
        }
    }
}
