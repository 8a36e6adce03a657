import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Voice

// The voice library as a sheet: open() it from any screen. It brings its own view-model and
// stores every choice in the voice preferences at once; `voiceLocale` ("ru-RU" or "en-US") opens
// it on that language. F5 lists the system's voices again; closing stops a sample.
VoiceSheet {
    id: sheet
    objectName: "voiceLibrary"

    property VoiceLibraryViewModel viewModel: VoiceLibraryViewModel {}
    property string voiceLocale

    title: "Голоса Vexa"

    onAboutToShow: {
        if (sheet.voiceLocale.length > 0)
            sheet.viewModel.locale = sheet.voiceLocale
    }
    onOpened: search.forceActiveFocus()
    onClosed: sheet.viewModel.disappear()

    ColumnLayout {
        anchors.fill: parent
        spacing: 8

        TextField {
            id: search
            objectName: "voiceSearch"
            Layout.fillWidth: true
            Layout.topMargin: 4
            placeholderText: "Имя, Premium, мужской, акцент…"
            text: sheet.viewModel.query
            onTextEdited: sheet.viewModel.query = text
            Accessible.name: "Поиск голоса"
        }
        VoiceList {
            objectName: "voiceList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            viewModel: sheet.viewModel
        }
    }

    Shortcut {
        sequences: VexaShortcuts.keys("voices.refresh")
        enabled: sheet.opened
        onActivated: sheet.viewModel.refreshVoices()
    }

    VoiceDownloadHelp {
        visible: sheet.viewModel.showingDownloadHelp
        viewModel: sheet.viewModel
        onClosed: sheet.viewModel.showingDownloadHelp = false
    }
}
