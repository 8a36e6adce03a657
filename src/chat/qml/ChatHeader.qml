import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Chat

// The chat's title and its actions: model, voice conversation, chat list, new chat, and the
// actions menu. A narrow header drops the buttons' titles and moves the model menu under the
// title.
ColumnLayout {
    id: header

    required property ChatViewModel viewModel
    property bool narrow: false
    signal shareRequested()

    spacing: 6

    RowLayout {
        Layout.fillWidth: true
        spacing: 6

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2

            Label {
                objectName: "chatTitle"
                Layout.fillWidth: true
                textFormat: Text.PlainText
                text: header.viewModel.chatTitle
                elide: Text.ElideRight
                font.pixelSize: VexaTheme.headingSize
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Label {
                Layout.fillWidth: true
                text: "Общий аккаунт и лимиты с Telegram"
                elide: Text.ElideRight
                font.pixelSize: VexaTheme.captionSize
                color: VexaTheme.textSecondary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
        ModelMenuButton {
            objectName: "modelMenu"
            visible: !header.narrow
            viewModel: header.viewModel
        }
        IconButton {
            objectName: "voiceConversationButton"
            symbol: "waveform"
            title: header.narrow ? "" : "Разговор"
            label: "Голосовой диалог"
            onClicked: header.viewModel.showingVoiceConversation = true
        }
        IconButton {
            objectName: "chatsButton"
            symbol: "sidebar.left"
            label: "Мои чаты"
            onClicked: header.viewModel.showingChats = true
        }
        IconButton {
            objectName: "newChatButton"
            symbol: "square.and.pencil"
            title: header.narrow ? "" : "Новый чат"
            label: "Новый чат"
            enabled: header.viewModel.canCreateChat
            onClicked: header.viewModel.createChat()
        }
        IconButton {
            id: actions
            objectName: "chatActionsButton"
            symbol: "ellipsis.circle"
            label: "Действия с чатом"
            onClicked: {
                // Made (and compiled, by address) on first use, not with the screen.
                if (!menuMade) {
                    menuMade = Qt.createComponent("qrc:/qt/qml/VexaAI/Chat/ChatActionsMenu.qml")
                        .createObject(actions, {objectName: "chatActionsMenu", viewModel: header.viewModel})
                    menuMade.shareRequested.connect(header.shareRequested)
                }
                menuMade.popup(actions, actions.width - menuMade.implicitWidth, actions.height)
            }

            property QtObject menuMade: null
        }
    }
    ModelMenuButton {
        visible: header.narrow
        viewModel: header.viewModel
    }
}
