import QtQuick
import QtQuick.Controls
import VexaAI.Style

// A menu entry with its symbol before the text.
MenuItem {
    id: item

    property string symbol

    Accessible.name: text

    contentItem: Row {
        spacing: 12
        leftPadding: 4
        opacity: item.enabled ? 1 : 0.4

        VexaIcon {
            anchors.verticalCenter: parent.verticalCenter
            visible: item.symbol.length > 0
            symbol: item.symbol
            size: 18
            color: VexaTheme.textSecondary
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            textFormat: Text.PlainText
            text: item.text
            color: VexaTheme.textPrimary
            font.pixelSize: VexaTheme.bodySize
        }
    }
}
