import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// A scrolling page of cards under a large title, 20 apart with 20 of margin. When the keyboard
// moves to a field or button out of view, the page scrolls it into view.
ScrollView {
    id: page

    property string title
    default property alias cards: column.data

    contentWidth: availableWidth
    contentHeight: column.implicitHeight + 40
    clip: true

    ColumnLayout {
        id: column
        x: 20
        y: 20
        width: page.availableWidth - 40
        spacing: 20

        Label {
            Layout.fillWidth: true
            textFormat: Text.PlainText
            text: page.title
            elide: Text.ElideRight
            font.pixelSize: VexaTheme.titleSize + 4
            font.weight: Font.Bold
            color: VexaTheme.textPrimary
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
    }

    FocusFollower {
        flickable: page.contentItem
        content: column
    }
}
