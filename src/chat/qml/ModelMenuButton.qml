import QtQuick
import QtQuick.Controls
import VexaAI.Style
import VexaAI.Chat

// The chat model: the current one's title, and a menu of the models the tariff allows.
ToolButton {
    id: control

    required property ChatViewModel viewModel

    enabled: viewModel.modelMenuEnabled
    implicitHeight: 36
    implicitWidth: row.implicitWidth + 20
    focusPolicy: Qt.StrongFocus
    text: viewModel.modelTitle
    Accessible.name: "Модель: " + viewModel.modelTitle
    Accessible.role: Accessible.ButtonMenu
    onClicked: {
        // Made (and compiled, by address) on first use, not with the screen (the header holds
        // two of these buttons).
        if (!menuMade)
            menuMade = Qt.createComponent("qrc:/qt/qml/VexaAI/Chat/ModelsMenu.qml")
                .createObject(control, {viewModel: control.viewModel, y: control.height})
        menuMade.open()
    }

    contentItem: Item {
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 6
            opacity: control.enabled ? 1 : 0.4

            VexaIcon {
                anchors.verticalCenter: parent.verticalCenter
                symbol: "cpu"
                size: 17
                color: VexaTheme.textSecondary
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                textFormat: Text.PlainText
                text: control.viewModel.modelTitle
                color: VexaTheme.textPrimary
                font.pixelSize: VexaTheme.bodySize - 1
                elide: Text.ElideRight
                width: Math.min(implicitWidth, 180)
            }
            VexaIcon {
                anchors.verticalCenter: parent.verticalCenter
                symbol: "chevron.down"
                size: 16
                color: VexaTheme.textSecondary
            }
        }
    }
    background: Rectangle {
        radius: 12
        color: control.hovered ? VexaTheme.hoverFill : "transparent"
        border.width: 1
        border.color: VexaTheme.cardOutline
    }

    property QtObject menuMade: null
}
