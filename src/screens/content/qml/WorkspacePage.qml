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

    Connections {
        target: page.Window.window
        function onActiveFocusItemChanged() { page.reveal(page.Window.activeFocusItem) }
    }

    function reveal(item) {
        const flick = page.contentItem
        if (!item || !flick)
            return
        let parentItem = item
        while (parentItem && parentItem !== column)
            parentItem = parentItem.parent
        if (!parentItem)
            return
        const top = item.mapToItem(column, 0, 0).y + column.y - 12
        const bottom = top + item.height + 24
        const maxY = Math.max(0, flick.contentHeight - flick.height)
        if (top < flick.contentY)
            flick.contentY = Math.max(0, top)
        else if (bottom > flick.contentY + flick.height)
            flick.contentY = Math.min(maxY, bottom - flick.height)
    }
}
