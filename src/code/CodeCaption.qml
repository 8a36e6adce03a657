import QtQuick
import QtQuick.Controls

Label {
    font.pixelSize: 12
    font.bold: true
    opacity: 0.65
    elide: Text.ElideRight
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
