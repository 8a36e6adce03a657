// A centred placeholder: symbol, title and a short hint.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

Item {
    id: emptyState

    property string title
    property string symbol
    property string message

    ColumnLayout {
        anchors.centerIn: parent
        width: Math.min(emptyState.width - 32, 360)
        spacing: 10

        CodeSymbol {
            symbol: emptyState.symbol
            font.pixelSize: 36
            opacity: 0.6
            Layout.alignment: Qt.AlignHCenter
        }
        Label {
            text: emptyState.title
            font.bold: true
            font.pixelSize: 18
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            Layout.fillWidth: true
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Label {
            text: emptyState.message
            opacity: 0.7
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            Layout.fillWidth: true
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
