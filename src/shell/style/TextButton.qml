import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Controls.Material.impl

// A text button with the style's own colours and ripple, drawn without the elevation layer the
// style puts under its raised buttons: the software renderer keeps each such layer as a pixmap
// of its own (a screen of rows with two buttons each held dozens) and draws no shadow from it.
Button {
    id: control

    font.capitalization: Font.MixedCase

    background: Rectangle {
        implicitWidth: 64
        implicitHeight: control.Material.buttonHeight
        radius: 4
        color: !control.enabled ? control.Material.buttonDisabledColor
             : control.highlighted ? control.Material.highlightedButtonColor
             : control.flat ? "transparent" : control.Material.buttonColor

        Ripple {
            clipRadius: 4
            width: parent.width
            height: parent.height
            pressed: control.pressed
            anchor: control
            active: enabled && (control.down || control.visualFocus || control.hovered)
            color: control.Material.rippleColor
        }
    }
}
