import QtQuick
import VexaAI.Chat

// "Мои чаты" over the chat screen; it closes itself once a chat was opened or created.
ChatSheet {
    id: sheet
    objectName: "chatListSheet"

    title: "Мои чаты"

    Loader {
        anchors.fill: parent
        // A fresh list (and a fresh fetch) every time the sheet opens.
        active: sheet.visible
        sourceComponent: ChatListView {
            onSelected: sheet.close()
        }
    }
}
