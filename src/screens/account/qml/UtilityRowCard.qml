import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// One row of a list reply: its title and detail (plain text), and the actions its section
// and its members allow.
GlassCard {
    id: card
    objectName: "utilityRow"

    required property UtilityViewModel viewModel
    required property int index
    required property string title
    required property string detail
    required property bool canOpenChat
    required property bool canUseDocument
    required property bool hasDue
    required property string dueDate
    required property string dueTime
    required property bool canDelete
    required property bool canMarkRead
    required property bool promo
    required property string link

    padding: 14

    // Which of the card's buttons has the keyboard ("" for none), and the same one (or the
    // first one shown) on this card.
    function focusedAction() {
        for (let n = 0; n < actions.children.length; ++n) {
            if (actions.children[n].activeFocus)
                return actions.children[n].objectName
        }
        return ""
    }
    function focusAction(name) {
        let target = null
        for (let n = 0; n < actions.children.length; ++n) {
            const button = actions.children[n]
            if (!button.visible)
                continue
            if (button.objectName === name) {
                target = button
                break
            }
            if (!target)
                target = button
        }
        if (target)
            target.forceActiveFocus(Qt.TabFocusReason)
    }

    ColumnLayout {
        spacing: 6

        Label {
            Layout.fillWidth: true
            text: card.title
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.bodySize
            font.weight: Font.DemiBold
            color: VexaTheme.textPrimary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        Label {
            Layout.fillWidth: true
            visible: text.length > 0
            text: card.detail
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.bodySize - 1
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        RowLayout {
            visible: card.hasDue
            spacing: 12
            Label { text: card.dueDate; textFormat: Text.PlainText; color: VexaTheme.textSecondary; font.pixelSize: VexaTheme.captionSize + 1 }
            Label { text: card.dueTime; textFormat: Text.PlainText; color: VexaTheme.textSecondary; font.pixelSize: VexaTheme.captionSize + 1 }
        }
        Label {
            visible: card.canMarkRead && card.promo
            text: "Акция / реклама"
            color: VexaTheme.warning
            font.pixelSize: VexaTheme.captionSize
        }
        Flow {
            id: actions
            Layout.fillWidth: true
            spacing: 4
            visible: card.canOpenChat || card.canUseDocument || card.canDelete || card.canMarkRead
            UtilityTextButton {
                visible: card.canOpenChat
                objectName: "openChatButton"
                text: "Открыть диалог"
                onClicked: card.viewModel.openChat(card.index)
            }
            UtilityTextButton {
                visible: card.canUseDocument
                objectName: "useDocumentButton"
                text: "Выбрать документ"
                onClicked: card.viewModel.useDocument(card.index)
            }
            UtilityTextButton {
                visible: card.canDelete
                destructive: true
                objectName: "deleteReminderButton"
                text: "Удалить"
                onClicked: card.viewModel.deleteReminder(card.index)
            }
            UtilityTextButton {
                visible: card.canMarkRead && card.link.length > 0
                objectName: "openLinkButton"
                text: "Открыть"
                onClicked: card.viewModel.openLink(card.index)
            }
            UtilityTextButton {
                visible: card.canMarkRead
                objectName: "markReadButton"
                text: "Прочитано"
                onClicked: card.viewModel.markRead(card.index)
            }
        }
    }
}
