import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// The daily bonus (the button until today's is taken) and the referral link to share.
GlassCard {
    id: card

    required property ProfileViewModel viewModel

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            title: "Бонусы и друзья"
            symbol: "gift.fill"
        }
        Label {
            objectName: "bonusClaimedText"
            Layout.fillWidth: true
            visible: card.viewModel.bonusClaimed
            text: "Ежедневный бонус уже получен сегодня."
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.bodySize
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        ProminentButton {
            objectName: "claimBonusButton"
            Layout.fillWidth: true
            visible: !card.viewModel.bonusClaimed
            text: "Забрать ежедневный бонус"
            symbol: "gift.fill"
            busy: card.viewModel.claiming
            enabled: !card.viewModel.claiming
            onClicked: card.viewModel.claimBonus()
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
        ColumnLayout {
            Layout.fillWidth: true
            visible: card.viewModel.referralLink.length > 0
            spacing: 8

            Label {
                Layout.fillWidth: true
                text: "Приглашайте друзей по своей ссылке:"
                wrapMode: Text.Wrap
                font.pixelSize: VexaTheme.bodySize
                color: VexaTheme.textSecondary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            TextEdit {
                objectName: "referralLinkText"
                Layout.fillWidth: true
                text: card.viewModel.referralLink
                textFormat: TextEdit.PlainText
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.WrapAnywhere
                font.pixelSize: VexaTheme.bodySize
                color: VexaTheme.accentSecondary
                selectionColor: VexaTheme.selectionFill
                activeFocusOnTab: false
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Button {
                objectName: "copyReferralButton"
                text: "Скопировать ссылку"
                icon.width: 0
                flat: true
                Accessible.name: text
                contentItem: RowLayout {
                    spacing: 8
                    VexaIcon { symbol: "doc.on.doc"; size: 18; color: VexaTheme.accent }
                    Label {
                        text: "Скопировать ссылку"
                        font.pixelSize: VexaTheme.bodySize
                        color: VexaTheme.accent
                    }
                }
                onClicked: card.viewModel.copyReferralLink()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
            }
        }
    }
}
