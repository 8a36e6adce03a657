import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// The tariffs section: the current tariff, how buying works, the promo code and one card per
// offer the service lists. The offers load each time the page is shown and on F5.
FocusScope {
    id: view
    objectName: "plansView"

    property PlansViewModel viewModel: PlansViewModel {}

    Component.onCompleted: viewModel.load()
    onVisibleChanged: if (visible) viewModel.load()

    Shortcut {
        sequences: VexaShortcuts.keys("plans.refresh")
        enabled: view.visible
        onActivated: view.viewModel.load()
    }

    // Scrolls the focused control into view.
    FocusFollower {
        flickable: page
        content: column
    }

    Flickable {
        id: page
        anchors.fill: parent
        contentWidth: width
        contentHeight: column.implicitHeight + 2 * VexaTheme.margin
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        ScrollBar.vertical: ScrollBar {}

        ColumnLayout {
            id: column
            width: Math.min(720, page.width - 2 * VexaTheme.margin)
            x: (page.width - width) / 2
            y: VexaTheme.margin
            spacing: 16

            Label {
                Layout.fillWidth: true
                text: "Тарифы Vexa"
                font.pixelSize: VexaTheme.titleSize + 4
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Label {
                objectName: "currentPlanLine"
                Layout.fillWidth: true
                text: view.viewModel.currentPlanLine
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                font.pixelSize: VexaTheme.headingSize
                font.weight: Font.DemiBold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Label {
                Layout.fillWidth: true
                text: "Оформление подписки пока происходит в Telegram. После оплаты вернитесь сюда и обновите профиль — тариф синхронизируется с аккаунтом Vexa."
                wrapMode: Text.Wrap
                font.pixelSize: VexaTheme.bodySize
                color: VexaTheme.textSecondary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            ProminentButton {
                objectName: "refreshPlanButton"
                Layout.fillWidth: true
                text: "Обновить тариф и лимиты"
                symbol: "arrow.clockwise"
                tint: VexaTheme.accentSecondary
                onClicked: view.viewModel.refreshAccount()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
            }
            PlansPromoCard {
                Layout.fillWidth: true
                viewModel: view.viewModel
            }
            Label {
                objectName: "offersMessage"
                Layout.fillWidth: true
                visible: text.length > 0
                text: view.viewModel.offersMessage
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: VexaTheme.bodySize
                color: VexaTheme.textSecondary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Repeater {
                model: view.viewModel.offers
                PlansOfferCard {
                    required property var modelData
                    required property int index
                    Layout.fillWidth: true
                    offer: modelData
                    onBuy: view.viewModel.buy(index)
                }
            }
            Item {
                Layout.preferredHeight: VexaTheme.margin
            }
        }
    }
}
