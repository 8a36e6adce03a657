import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Shell

// The card of the sign-in screen: how to get a code, the bot button, the field and sign-in.
GlassCard {
    id: card

    required property LoginViewModel model

    ColumnLayout {
        spacing: 14

        Label {
            Layout.fillWidth: true
            text: "Вход через Telegram"
            font.pixelSize: VexaTheme.headingSize
            font.weight: Font.DemiBold
            color: VexaTheme.textPrimary
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Label {
            Layout.fillWidth: true
            wrapMode: Text.WordWrap
            text: "Откройте бота, отправьте команду /web и введите одноразовый код. Тариф и лимиты будут общими с ботом."
            font.pixelSize: VexaTheme.bodySize
            color: VexaTheme.textSecondary
            lineHeight: 1.15
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        ProminentButton {
            objectName: "openBotButton"
            Layout.fillWidth: true
            text: "Открыть бота"
            symbol: "paperplane.fill"
            tint: VexaTheme.accentSecondary
            onClicked: card.model.openBot()
        }
        TextField {
            id: codeField
            objectName: "codeField"
            Layout.fillWidth: true
            placeholderText: "Код из Telegram"
            text: card.model.code
            onTextChanged: card.model.code = text
            inputMethodHints: Qt.ImhPreferNumbers | Qt.ImhNoAutoUppercase
                              | Qt.ImhNoPredictiveText | Qt.ImhSensitiveData
            font.pixelSize: VexaTheme.headingSize
            // Within the screen's focus scope: the field has the keyboard when the screen does,
            // but an alert that is already open keeps it.
            focus: true
            Accessible.name: placeholderText
            onAccepted: card.model.signIn()
        }
        ProminentButton {
            objectName: "signInButton"
            Layout.fillWidth: true
            text: "Войти в Vexa AI"
            tint: VexaTheme.accent
            busy: card.model.loading
            enabled: card.model.canSignIn
            onClicked: card.model.signIn()
        }
    }
}
