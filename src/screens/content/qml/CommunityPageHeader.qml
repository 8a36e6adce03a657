// The bar of a pushed page: "Готово" back to the lists, the title, the refresh button.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

RowLayout {
    id: bar

    property string title
    property bool loading: false

    signal done()
    signal refresh()

    spacing: 8

    Button {
        objectName: "doneButton"
        font.capitalization: Font.MixedCase
        text: "Готово"
        flat: true
        focusPolicy: Qt.StrongFocus
        onClicked: bar.done()
    }
    Text {
        Layout.fillWidth: true
        text: bar.title
        textFormat: Text.PlainText
        color: VexaTheme.textPrimary
        font.pixelSize: VexaTheme.headingSize
        font.bold: true
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignHCenter
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }
    BusyIndicator {
        running: bar.loading
        opacity: running ? 1 : 0
        implicitWidth: 28
        implicitHeight: 28
    }
    IconButton {
        symbolSize: 22
        objectName: "pageRefreshButton"
        symbol: "arrow.clockwise"
        label: "Обновить"
        onClicked: bar.refresh()
    }
}
