// A centred placeholder: symbol, title and a short hint.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

Item {
    id: emptyState

    property string title
    property string symbol
    property string message

    ColumnLayout {
        anchors.centerIn: parent
        width: Math.min(emptyState.width - 32, 360)
        spacing: 10

        VexaIcon {
            symbol: emptyState.symbol
            size: 44
            color: VexaTheme.textTertiary
            Layout.alignment: Qt.AlignHCenter
        }
        Label {
            textFormat: Text.PlainText
            text: emptyState.title
            font.weight: Font.DemiBold
            font.pixelSize: VexaTheme.headingSize
            color: VexaTheme.textPrimary
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            Layout.fillWidth: true
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Label {
            textFormat: Text.PlainText
            text: emptyState.message
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.bodySize
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            Layout.fillWidth: true
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
