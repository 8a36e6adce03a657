import QtQuick
import QtQuick.Layouts

Rectangle {
    property bool vertical: false

    color: palette.mid
    opacity: 0.5
    Layout.fillHeight: vertical
    Layout.fillWidth: !vertical
    Layout.preferredWidth: vertical ? 1 : -1
    Layout.preferredHeight: vertical ? -1 : 1
}
