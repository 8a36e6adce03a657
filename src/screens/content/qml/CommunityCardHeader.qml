// A card's heading: a symbol and a bold label.
import QtQuick
import QtQuick.Layouts
import VexaAI.Style

RowLayout {
    property string symbol
    property string text

    spacing: 8

    VexaIcon {
        symbol: parent.symbol
        size: 22
        color: VexaTheme.accentSecondary
    }
    Text {
        textFormat: Text.PlainText
        text: parent.text
        color: VexaTheme.textPrimary
        font.pixelSize: VexaTheme.headingSize
        font.bold: true
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }
}
