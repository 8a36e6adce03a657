import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// The profile section: who is signed in, the tariff and its limits, activity, the daily bonus
// and the referral link, the answer settings, voice, look and the account's actions, one card
// below the other. F5 refreshes the profile; the page follows the keyboard as Tab moves on.
FocusScope {
    id: view
    objectName: "profileView"

    property ProfileViewModel viewModel: ProfileViewModel {}

    Component.onCompleted: viewModel.appear()
    onVisibleChanged: if (visible) viewModel.appear()

    Shortcut {
        sequences: VexaShortcuts.keys("profile.refresh")
        enabled: view.visible
        onActivated: view.viewModel.refreshProfile()
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
                text: "Мой Vexa"
                font.pixelSize: VexaTheme.titleSize + 4
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            ProfileAccountCard { viewModel: view.viewModel; Layout.fillWidth: true }
            ProfileLimitsCard { viewModel: view.viewModel; Layout.fillWidth: true }
            ProfileActivityCard { viewModel: view.viewModel; Layout.fillWidth: true }
            ProfileBonusCard { viewModel: view.viewModel; Layout.fillWidth: true }
            ProfileAnswerCard { viewModel: view.viewModel; Layout.fillWidth: true }
            ProfileVoiceCard { viewModel: view.viewModel; Layout.fillWidth: true }
            ProfileAppearanceCard { viewModel: view.viewModel; Layout.fillWidth: true }
            ProfileActionsCard { viewModel: view.viewModel; Layout.fillWidth: true }
            Label {
                Layout.fillWidth: true
                Layout.bottomMargin: VexaTheme.margin
                text: "История диалогов синхронизируется с сервером Vexa AI. Тариф, модели и лимиты проверяются сервером."
                wrapMode: Text.Wrap
                font.pixelSize: VexaTheme.captionSize
                color: VexaTheme.textTertiary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
    }

    ProfileSheets {
        viewModel: view.viewModel
    }
}
