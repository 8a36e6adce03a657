import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// What the profile opens above itself: the voice library and the productivity sheet while the
// view-model asks for them, and the two confirmations. Each sheet shows the component set in
// `voiceLibraryContent` / `utilitiesContent`; until this build has those screens, a sheet says
// so and nothing more.
Item {
    id: sheets

    required property ProfileViewModel viewModel
    property Component voiceLibraryContent: voiceLibraryMissing
    property Component utilitiesContent: utilitiesMissing

    component Sheet: Dialog {
        id: sheet

        property bool shown: false
        property Component content
        signal dismissed()

        parent: Overlay.overlay
        anchors.centerIn: parent
        width: parent ? Math.min(720, parent.width - 32) : 720
        height: parent ? Math.min(implicitHeight, parent.height - 32) : implicitHeight
        modal: true
        focus: true
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
        padding: 22

        property Item returnFocusTo: null
        onShownChanged: shown ? open() : close()
        onAboutToShow: returnFocusTo = Window.activeFocusItem
        onClosed: {
            dismissed()
            if (returnFocusTo)
                returnFocusTo.forceActiveFocus()
            returnFocusTo = null
        }

        Overlay.modal: Rectangle {
            color: VexaTheme.dim
        }
        background: Rectangle {
            radius: VexaTheme.cardRadius
            color: VexaTheme.sheetFill
            border.width: 1
            border.color: VexaTheme.cardOutline
        }
        header: Label {
            text: sheet.title
            padding: 22
            bottomPadding: 0
            font.pixelSize: VexaTheme.headingSize
            font.weight: Font.Bold
            color: VexaTheme.textPrimary
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        contentItem: Loader {
            focus: true
            active: sheet.opened || sheet.shown
            sourceComponent: sheet.content
        }
    }

    Sheet {
        objectName: "voiceLibrarySheet"
        title: "Каталог голосов"
        shown: sheets.viewModel.showingVoiceLibrary
        content: sheets.voiceLibraryContent
        onDismissed: sheets.viewModel.showingVoiceLibrary = false
    }
    Sheet {
        objectName: "utilitiesSheet"
        title: "Уведомления, история и задачи"
        shown: sheets.viewModel.showingUtilities
        content: sheets.utilitiesContent
        onDismissed: sheets.viewModel.showingUtilities = false
    }

    ProfileConfirmation {
        objectName: "confirmClearDialog"
        title: "Скрыть сообщения до следующего обновления?"
        actionText: "Скрыть"
        shown: sheets.viewModel.confirmClear
        onConfirmed: sheets.viewModel.hideMessages()
        onDismissed: sheets.viewModel.confirmClear = false
    }
    ProfileConfirmation {
        objectName: "confirmSignOutDialog"
        title: "Выйти из аккаунта?"
        actionText: "Выйти"
        shown: sheets.viewModel.confirmSignOut
        onConfirmed: sheets.viewModel.signOut()
        onDismissed: sheets.viewModel.confirmSignOut = false
    }

    Component {
        id: voiceLibraryMissing
        MissingSheet {
            text: "Каталог голосов недоступен в этой сборке приложения."
            onDone: sheets.viewModel.showingVoiceLibrary = false
        }
    }
    Component {
        id: utilitiesMissing
        MissingSheet {
            text: "Уведомления, история и задачи недоступны в этой сборке приложения."
            onDone: sheets.viewModel.showingUtilities = false
        }
    }

    component MissingSheet: ColumnLayout {
        id: missing
        property alias text: note.text
        signal done()
        spacing: 18
        Label {
            id: note
            objectName: "sheetUnavailable"
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            font.pixelSize: VexaTheme.bodySize
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        Button {
            Layout.alignment: Qt.AlignRight
            text: "Закрыть"
            focus: true
            Accessible.name: text
            onClicked: missing.done()
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
    }
}
