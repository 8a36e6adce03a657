import QtQuick
import QtQuick.Layouts
import VexaAI.Style

Rectangle {
    property bool vertical: false

    color: VexaTheme.separator
    Layout.fillHeight: vertical
    Layout.fillWidth: !vertical
    Layout.preferredWidth: vertical ? 1 : -1
    Layout.preferredHeight: vertical ? -1 : 1
}
