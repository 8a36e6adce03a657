import QtQuick
import QtQuick.Controls
import VexaAI.Style
import VexaAI.Voice

// The voice library as a sheet: open() it from any screen. It brings its own view-model and
// stores every choice in the voice preferences at once; `locale` ("ru-RU" or "en-US") opens it
// on that language. F5 lists the system's voices again; closing stops a sample.
VoiceSheet {
    id: sheet
    objectName: "voiceLibrary"

    property VoiceLibraryViewModel viewModel: VoiceLibraryViewModel {}
    property string locale

    title: "Голоса Vexa"

    onAboutToShow: {
        if (sheet.locale.length > 0)
            sheet.viewModel.locale = sheet.locale
    }
    onOpened: if (list.headerItem) list.headerItem.focusSearch()
    onClosed: sheet.viewModel.disappear()

    ListView {
        id: list
        objectName: "voiceList"
        anchors.fill: parent
        clip: true
        spacing: 6
        model: sheet.viewModel.voices
        boundsBehavior: Flickable.StopAtBounds
        keyNavigationEnabled: false
        ScrollBar.vertical: ScrollBar {}

        header: VoiceLibraryHeader {
            width: list.width
            viewModel: sheet.viewModel
        }
        delegate: VoiceRow {
            width: list.width
            viewModel: sheet.viewModel
        }
        footer: VoiceLibraryFooter {
            width: list.width
            viewModel: sheet.viewModel
        }
    }

    Shortcut {
        sequence: "F5"
        enabled: sheet.opened
        onActivated: sheet.viewModel.refreshVoices()
    }

    VoiceDownloadHelp {
        visible: sheet.viewModel.showingDownloadHelp
        viewModel: sheet.viewModel
        onClosed: sheet.viewModel.showingDownloadHelp = false
    }
}
