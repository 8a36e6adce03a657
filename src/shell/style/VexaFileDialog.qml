import QtQuick
import QtQuick.Dialogs
import VexaAI.Style

// A file dialog of the app. It opens where the user last chose a file of its kind ("pictures" or
// "documents") while the app runs, at first in the Pictures or Documents folder; a save dialog's
// accept button reads "Сохранить", and one click on it saves under the name typed. The desktop's
// own dialog is used where a platform theme offers one (see the README).
FileDialog {
    id: dialog

    property string kind: "documents"
    readonly property FileDialogSupport support: FileDialogSupport {
        dialog: dialog
        kind: dialog.kind
    }

    currentFolder: support.folder
    acceptLabel: fileMode === FileDialog.SaveFile ? "Сохранить" : "Открыть"
    rejectLabel: "Отмена"
}
