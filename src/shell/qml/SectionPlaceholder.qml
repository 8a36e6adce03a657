import QtQuick
import QtQuick.Controls
import VexaAI.Style

// The page of a section whose screen is not there yet: its title only.
Item {
    objectName: "sectionPlaceholder"

    property string title

    Label {
        x: VexaTheme.margin
        y: VexaTheme.margin
        width: parent.width - 2 * VexaTheme.margin
        textFormat: Text.PlainText
        text: parent.title
        elide: Text.ElideRight
        font.pixelSize: VexaTheme.titleSize + 4
        font.weight: Font.Bold
        color: VexaTheme.textPrimary
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }
}
