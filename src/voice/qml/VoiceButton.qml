import QtQuick
import QtQuick.Controls
import VexaAI.Style

// A button of the voice screens: an optional symbol before the title, or the symbol alone (then
// `accessibleName` says what it does). Enter and Return press it like Space does.
TextButton {
    id: control

    property string symbol
    property color symbolColor: VexaTheme.textPrimary
    property string accessibleName: text

    font.pixelSize: VexaTheme.bodySize
    display: text.length > 0 ? AbstractButton.TextBesideIcon : AbstractButton.IconOnly
    Accessible.role: Accessible.Button
    Accessible.name: accessibleName

    contentItem: Row {
        spacing: 6
        VexaIcon {
            visible: control.symbol.length > 0
            symbol: control.symbol
            size: 18
            color: control.enabled ? control.symbolColor : VexaTheme.textTertiary
            anchors.verticalCenter: parent.verticalCenter
        }
        Text {
            visible: control.text.length > 0
            textFormat: Text.PlainText
            text: control.text
            font: control.font
            color: control.enabled ? VexaTheme.textPrimary : VexaTheme.textTertiary
            anchors.verticalCenter: parent.verticalCenter
        }
    }

    Keys.onReturnPressed: if (enabled) clicked()
    Keys.onEnterPressed: if (enabled) clicked()
}
