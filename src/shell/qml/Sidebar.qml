import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Chat
import VexaAI.Style
import VexaAI.Shell

// The regular-width navigation: account header, section search, six sections, the chat list
// while the chat is open, and the account and tariff buttons at the foot.
Rectangle {
    id: sidebar
    objectName: "sidebar"

    required property RootViewModel model

    color: VexaTheme.chromeFill

    Rectangle {
        anchors.right: parent.right
        width: 1
        height: parent.height
        color: VexaTheme.separator
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 14
        spacing: 6

        SidebarHeader {
            Layout.fillWidth: true
            Layout.bottomMargin: 8
            planTitle: sidebar.model.planTitle
        }

        SidebarButton {
            objectName: "findSectionButton"
            Layout.fillWidth: true
            Layout.bottomMargin: 6
            text: "Найти раздел"
            symbolName: "magnifyingglass"
            shortcutHint: "Ctrl+K"
            onClicked: sidebar.model.openSections()
        }

        Repeater {
            model: sidebar.model.sidebarSections
            SidebarButton {
                required property int section
                required property string title
                required property string symbol
                Layout.fillWidth: true
                text: title
                symbolName: symbol
                selected: sidebar.model.selection === section
                onClicked: sidebar.model.select(section)
            }
        }

        // The chat list goes here while the chat is open.
        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.topMargin: 8
            visible: sidebar.model.selection === VexaSection.Chat
            spacing: 8

            Rectangle {
                Layout.fillWidth: true
                implicitHeight: 1
                color: VexaTheme.separator
            }
            Label {
                text: "ДИАЛОГИ"
                font.pixelSize: VexaTheme.captionSize
                font.weight: Font.DemiBold
                font.letterSpacing: 0.8
                color: VexaTheme.textTertiary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Loader {
                objectName: "chatListSlot"
                Layout.fillWidth: true
                Layout.fillHeight: true
                active: parent.visible
                sourceComponent: ChatListView {}
            }
        }
        Item {
            Layout.fillHeight: true
            visible: sidebar.model.selection !== VexaSection.Chat
        }

        SidebarFooter {
            Layout.fillWidth: true
            model: sidebar.model
        }
    }
}
