import QtQuick
import VexaAI.Style

// One symbol from the app's glyph map, e.g. VexaIcon { symbol: "sparkle" }.
// Decorative: the control that shows it carries the accessible name.
Text {
    property string symbol
    property real size: 20

    textFormat: Text.PlainText
    text: Symbols.glyph(symbol)
    font.family: Symbols.fontFamily
    font.pixelSize: size
    color: VexaTheme.textPrimary
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    renderType: Text.QtRendering
    Accessible.ignored: true
}
