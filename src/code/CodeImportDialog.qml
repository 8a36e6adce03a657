// The file picker for importing: several files, text and source code first; the store
// decides what is text by reading it.
import QtQuick
import QtQuick.Dialogs
import VexaAI.Style

VexaFileDialog {
    id: dialog
    objectName: "importDialog"
    kind: "documents"

    property bool showing: false

    signal chosen(var urls)
    signal cancelled()

    title: "Импортировать текстовые файлы"
    fileMode: FileDialog.OpenFiles
    nameFilters: [
        "Текст и код (*.txt *.md *.py *.js *.ts *.json *.xml *.html *.css *.c *.h *.cpp *.hpp *.java *.kt *.swift *.go *.rs *.rb *.php *.sh *.yaml *.yml *.toml *.ini *.csv *.sql *.qml)",
        "Все файлы (*)"
    ]
    onShowingChanged: showing ? open() : close()
    onAccepted: chosen(selectedFiles)
    onRejected: cancelled()
}
