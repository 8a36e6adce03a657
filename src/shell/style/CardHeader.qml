import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// A card's heading: an optional symbol, the title, an optional text at the right, and an
// optional caption under it.
ColumnLayout {
    id: header

    property string symbol
    property string title
    property string trailing
    property string caption
    property color symbolColor: VexaTheme.accent
    property int symbolSize: 20

    spacing: 4

    RowLayout {
        Layout.fillWidth: true
        spacing: 8

        VexaIcon {
            visible: header.symbol.length > 0
            symbol: header.symbol
            size: header.symbolSize
            color: header.symbolColor
        }
        Label {
            Layout.fillWidth: true
            text: header.title
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.headingSize
            font.weight: Font.DemiBold
            color: VexaTheme.textPrimary
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Label {
            visible: header.trailing.length > 0
            text: header.trailing
            textFormat: Text.PlainText
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.bodySize
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
    Label {
        Layout.fillWidth: true
        visible: header.caption.length > 0
        text: header.caption
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        color: VexaTheme.textSecondary
        font.pixelSize: VexaTheme.captionSize + 1
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
}
