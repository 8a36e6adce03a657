import QtQuick
import QtQuick.Controls
import VexaAI.Chat

// The composer's "+": a photo or a file to attach.
Menu {
    objectName: "attachMenu"

    signal photoRequested()
    signal fileRequested()

    ChatMenuItem {
        text: "Фото"
        symbol: "photo"
        onTriggered: photoRequested()
    }
    ChatMenuItem {
        text: "Файл"
        symbol: "doc"
        onTriggered: fileRequested()
    }
}
