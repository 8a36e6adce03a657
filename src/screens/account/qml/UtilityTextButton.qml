import QtQuick
import QtQuick.Controls
import VexaAI.Style

// A small flat button of the productivity sheet; Enter and Return press it too.
Button {
    id: control

    property bool destructive: false

    flat: true
    font.capitalization: Font.MixedCase
    font.pixelSize: VexaTheme.bodySize
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    contentItem: Text {
        textFormat: Text.PlainText
        text: control.text
        font: control.font
        color: !control.enabled ? VexaTheme.textTertiary
             : control.destructive ? VexaTheme.error : VexaTheme.accent
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
}
