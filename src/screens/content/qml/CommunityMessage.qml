// A secondary line in place of a list: "nothing here yet" or a failed load.
import QtQuick
import VexaAI.Style

Text {
    textFormat: Text.PlainText
    color: VexaTheme.textSecondary
    font.pixelSize: VexaTheme.bodySize
    wrapMode: Text.Wrap
    visible: text.length > 0
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
