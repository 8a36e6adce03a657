import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// "Vexa AI" with the account's plan under it.
RowLayout {
    id: header

    property string planTitle

    spacing: 12

    Rectangle {
        implicitWidth: 40
        implicitHeight: 40
        radius: 12
        color: VexaTheme.accentWashStrong

        VexaIcon {
            anchors.centerIn: parent
            symbol: "sparkle"
            size: 22
            color: Qt.lighter(VexaTheme.accent, 1.35)
        }
    }
    ColumnLayout {
        Layout.fillWidth: true
        spacing: 1

        Label {
            text: "Vexa AI"
            font.pixelSize: VexaTheme.headingSize
            font.weight: Font.Bold
            color: VexaTheme.textPrimary
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Label {
            objectName: "planTitle"
            Layout.fillWidth: true
            textFormat: Text.PlainText
            text: header.planTitle
            elide: Text.ElideRight
            font.pixelSize: VexaTheme.captionSize + 1
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
