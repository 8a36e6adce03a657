import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// "Title … value": the title on the left in the secondary colour, the value on the right.
RowLayout {
    id: row

    property string title
    property string value

    spacing: 12
    Accessible.role: Accessible.StaticText
    Accessible.name: title + ": " + value

    Label {
        Layout.fillWidth: true
        text: row.title
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        font.pixelSize: VexaTheme.bodySize
        color: VexaTheme.textSecondary
        Accessible.ignored: true
    }
    Label {
        text: row.value
        textFormat: Text.PlainText
        font.pixelSize: VexaTheme.bodySize
        font.weight: Font.DemiBold
        color: VexaTheme.textPrimary
        Accessible.ignored: true
    }
}
