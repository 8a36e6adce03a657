import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// A card's heading: an optional symbol and the title.
RowLayout {
    id: heading

    property string text
    property string symbol

    spacing: 8

    VexaIcon {
        visible: heading.symbol.length > 0
        symbol: heading.symbol
        size: 20
        color: VexaTheme.accent
    }
    Label {
        Layout.fillWidth: true
        textFormat: Text.PlainText
        text: heading.text
        wrapMode: Text.Wrap
        font.pixelSize: VexaTheme.headingSize
        font.weight: Font.DemiBold
        color: VexaTheme.textPrimary
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }
}
