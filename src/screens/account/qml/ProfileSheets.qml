import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account
import VexaAI.Voice

// What the profile opens above itself: the voice library and the productivity sheet while the
// view-model asks for them, and the two confirmations. The keyboard goes back to where it was
// when a sheet closes.
Item {
    id: sheets

    required property ProfileViewModel viewModel

    property Item returnFocusTo: null
    function remember() {
        returnFocusTo = Window.activeFocusItem
    }
    function giveFocusBack() {
        if (returnFocusTo)
            returnFocusTo.forceActiveFocus()
        returnFocusTo = null
    }

    // Made while open: the library lists the system's voices and owns a speaker for samples.
    Loader {
        active: sheets.viewModel.showingVoiceLibrary
        sourceComponent: Item {
            VexaVoiceLibraryView {
                objectName: "voiceLibrarySheet"
                voiceLocale: sheets.viewModel.voiceLocale
                Component.onCompleted: {
                    sheets.remember()
                    open()
                }
                onClosed: {
                    sheets.viewModel.showingVoiceLibrary = false
                    sheets.giveFocusBack()
                }
            }
        }
    }
    VexaUtilityView {
        objectName: "utilitiesSheet"
        visible: sheets.viewModel.showingUtilities
        onAboutToShow: sheets.remember()
        onClosed: {
            sheets.viewModel.showingUtilities = false
            sheets.giveFocusBack()
        }
    }

    ConfirmationDialog {
        objectName: "confirmClearDialog"
        title: "Скрыть сообщения до следующего обновления?"
        actionText: "Скрыть"
        shown: sheets.viewModel.confirmClear
        onClosed: sheets.viewModel.confirmClear = false
        onConfirmed: sheets.viewModel.hideMessages()
    }
    ConfirmationDialog {
        objectName: "confirmSignOutDialog"
        title: "Выйти из аккаунта?"
        actionText: "Выйти"
        shown: sheets.viewModel.confirmSignOut
        onClosed: sheets.viewModel.confirmSignOut = false
        onConfirmed: sheets.viewModel.signOut()
    }
}
