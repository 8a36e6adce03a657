import QtQuick
import QtQuick.Controls
import VexaAI.Chat

// The models the tariff allows; choosing one makes it the chat's model.
Menu {
    id: models
    objectName: "modelsMenu"

    required property ChatViewModel viewModel

    Instantiator {
        model: models.viewModel.availableModels
        delegate: ChatMenuItem {
            required property var modelData
            text: modelData.title
            onTriggered: models.viewModel.selectModel(modelData.id)
        }
        onObjectAdded: (index, object) => models.insertItem(index, object)
        onObjectRemoved: (index, object) => models.removeItem(object)
    }
}
