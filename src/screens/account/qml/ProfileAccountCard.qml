import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// Who is signed in and on which tariff.
GlassCard {
    id: card

    required property ProfileViewModel viewModel

    RowLayout {
        spacing: 16

        VexaIcon {
            symbol: "person.crop.circle.fill"
            size: 52
            color: VexaTheme.accent
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Label {
                objectName: "profileName"
                Layout.fillWidth: true
                text: card.viewModel.displayName
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: VexaTheme.headingSize + 2
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Label {
                objectName: "profileUsername"
                Layout.fillWidth: true
                visible: text.length > 0
                text: card.viewModel.usernameLine
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: VexaTheme.bodySize
                color: VexaTheme.textSecondary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Label {
                objectName: "profileTariff"
                Layout.fillWidth: true
                text: card.viewModel.tariffLine
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: VexaTheme.bodySize
                color: VexaTheme.textSecondary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
    }
}
