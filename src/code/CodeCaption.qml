import QtQuick
import QtQuick.Controls
import VexaAI.Style

Label {
    textFormat: Text.PlainText
    font.pixelSize: VexaTheme.captionSize
    font.weight: Font.DemiBold
    color: VexaTheme.textSecondary
    elide: Text.ElideRight
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
