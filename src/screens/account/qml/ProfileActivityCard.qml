import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// Messages, pictures and the streak of days.
GlassCard {
    id: card

    required property ProfileViewModel viewModel

    ColumnLayout {
        spacing: 10

        CardHeader {
            Layout.fillWidth: true
            title: "Активность"
        }
        Repeater {
            model: card.viewModel.activityRows
            ProfileMetricRow {
                required property var modelData
                Layout.fillWidth: true
                title: modelData.title
                value: modelData.value
            }
        }
    }
}
