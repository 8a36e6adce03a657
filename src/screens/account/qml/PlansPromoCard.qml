import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// The promo code: typed in capitals, sent with "Активировать" or Enter. The button is off while
// the field holds only spaces and while a code is being redeemed.
GlassCard {
    id: card

    required property PlansViewModel viewModel

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            title: "Промокод"
            symbol: "ticket.fill"
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 12

            TextField {
                id: field
                objectName: "promoField"
                Layout.fillWidth: true
                placeholderText: "Введите код"
                text: card.viewModel.promoCode
                inputMethodHints: Qt.ImhUppercaseOnly | Qt.ImhNoPredictiveText
                Accessible.name: "Промокод"
                onTextEdited: {
                    // Capitals may not change the length; keep the caret where it was.
                    const caret = cursorPosition
                    card.viewModel.promoCode = text
                    if (text.length === card.viewModel.promoCode.length)
                        cursorPosition = caret
                }
                onAccepted: card.viewModel.redeem()
            }
            ProminentButton {
                objectName: "redeemButton"
                text: "Активировать"
                enabled: card.viewModel.canRedeem
                busy: card.viewModel.redeeming
                onClicked: card.viewModel.redeem()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
            }
        }
    }
}
