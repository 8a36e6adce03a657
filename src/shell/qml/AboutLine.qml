import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// One line of "О приложении": a caption and its value, selectable so a path can be copied.
ColumnLayout {
    id: line

    required property string label
    required property string value

    Layout.fillWidth: true
    spacing: 2

    Label {
        Layout.fillWidth: true
        textFormat: Text.PlainText
        text: line.label
        font.pixelSize: VexaTheme.captionSize
        color: VexaTheme.textSecondary
        wrapMode: Text.Wrap
    }
    TextEdit {
        Layout.fillWidth: true
        text: line.value
        textFormat: TextEdit.PlainText
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.WrapAnywhere
        font.pixelSize: VexaTheme.bodySize
        color: VexaTheme.textPrimary
        selectionColor: VexaTheme.accent
        Accessible.role: Accessible.StaticText
        Accessible.name: line.label + ": " + line.value
    }
}
