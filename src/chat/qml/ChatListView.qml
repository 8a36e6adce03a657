import QtQuick
import QtQuick.Controls
import VexaAI.Style
import VexaAI.Chat

// The account's chats in the service's order: "Новый чат" first, then one row per chat.
// Fetched fresh each time the list appears; `selected` follows a finished create or select.
ListView {
    id: list
    objectName: "chatList"

    property ChatListViewModel listModel: ChatListViewModel {}
    signal selected()

    model: listModel.chats
    clip: true
    spacing: 2
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar {}
    Accessible.role: Accessible.List
    Accessible.name: "Мои чаты"

    Component.onCompleted: listModel.appear()

    Connections {
        target: list.listModel
        function onSelected() { list.selected() }
    }

    header: ItemDelegate {
        id: newChat
        objectName: "newChatRow"
        width: list.width
        implicitHeight: 42
        leftPadding: 12
        enabled: list.listModel.enabled
        focusPolicy: Qt.StrongFocus
        text: "Новый чат"
        Accessible.name: text
        onClicked: list.listModel.createChat()
        contentItem: Row {
            spacing: 10
            opacity: newChat.enabled ? 1 : 0.4
            VexaIcon {
                anchors.verticalCenter: parent.verticalCenter
                symbol: "square.and.pencil"
                size: 18
                color: VexaTheme.listAction
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "Новый чат"
                color: VexaTheme.listAction
                font.pixelSize: VexaTheme.bodySize
            }
        }
        background: Rectangle {
            radius: 10
            color: newChat.hovered || newChat.visualFocus ? VexaTheme.hoverFill : "transparent"
        }
    }

    delegate: ChatListRow {
        width: list.width
        enabled: list.listModel.enabled
        onClicked: list.listModel.selectChat(chatID)
    }
}
