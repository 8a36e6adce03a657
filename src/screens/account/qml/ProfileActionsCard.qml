import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// The account's actions; the last two ask first.
GlassCard {
    id: card

    required property ProfileViewModel viewModel

    ColumnLayout {
        spacing: 4

        CardHeader {
            Layout.fillWidth: true
            Layout.bottomMargin: 6
            title: "Аккаунт и помощь"
        }
        ProfileActionButton {
            objectName: "utilitiesButton"
            text: "Уведомления, история и задачи"
            symbol: "bell"
            onClicked: card.viewModel.showingUtilities = true
        }
        ProfileActionButton {
            objectName: "refreshProfileButton"
            text: "Обновить профиль"
            symbol: "arrow.clockwise"
            onClicked: card.viewModel.refreshProfile()
        }
        ProfileActionButton {
            objectName: "openBotButton"
            text: "Открыть Telegram-бота"
            symbol: "paperplane"
            onClicked: card.viewModel.openBot()
        }
        ProfileActionButton {
            objectName: "downloadsButton"
            text: "Другие приложения Vexa"
            symbol: "square.and.arrow.down"
            onClicked: card.viewModel.openDownloads()
        }
        ProfileActionButton {
            objectName: "hideMessagesButton"
            text: "Скрыть сообщения до обновления"
            symbol: "eye.slash"
            destructive: true
            onClicked: card.viewModel.confirmClear = true
        }
        ProfileActionButton {
            objectName: "signOutButton"
            text: "Выйти из аккаунта"
            symbol: "rectangle.portrait.and.arrow.right"
            destructive: true
            onClicked: card.viewModel.confirmSignOut = true
        }
    }
}
