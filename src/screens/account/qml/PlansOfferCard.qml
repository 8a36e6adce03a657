import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// One tariff offer: its title (with "Ваш тариф" on the current one), the daily limit, the
// advantages and, for another tariff with a purchase address, the way to buy it in the bot.
GlassCard {
    id: card

    property var offer: ({})

    signal buy()

    ColumnLayout {
        spacing: 8

        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            Label {
                Layout.fillWidth: true
                text: card.offer.title
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                font.pixelSize: VexaTheme.headingSize
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Label {
                objectName: "currentPlanBadge"
                visible: card.offer.current === true
                text: "Ваш тариф"
                leftPadding: 10
                rightPadding: 10
                topPadding: 3
                bottomPadding: 3
                font.pixelSize: VexaTheme.captionSize
                font.weight: Font.DemiBold
                color: VexaTheme.textOnAccent
                background: Rectangle {
                    radius: height / 2
                    color: VexaTheme.accent
                }
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
        Label {
            Layout.fillWidth: true
            text: card.offer.limitLine
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.bodySize
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        Repeater {
            model: card.offer.features
            Label {
                required property string modelData
                Layout.fillWidth: true
                text: "• " + modelData
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                font.pixelSize: VexaTheme.bodySize
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
        ProminentButton {
            objectName: "buyButton"
            Layout.fillWidth: true
            Layout.topMargin: 4
            visible: card.offer.canBuy === true
            text: "Оформить в Telegram"
            symbol: "paperplane.fill"
            onClicked: card.buy()
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
    }
}
