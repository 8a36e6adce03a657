import QtQuick
import QtQuick.Dialogs
import VexaAI.Style
import VexaAI.Chat

// The desktop's pickers: a photo (pictures only), a file to send, and where to save a shared
// text. Each answers the view-model; cancelling changes nothing.
Item {
    id: dialogs

    required property ChatViewModel viewModel
    property string textToSave

    function saveText(text) {
        textToSave = text
        saveDialog.open()
    }

    VexaFileDialog {
        id: photoDialog
        objectName: "photoDialog"
        kind: "pictures"
        title: "Фото для анализа"
        visible: dialogs.viewModel.showingPhotoPicker
        fileMode: FileDialog.OpenFile
        nameFilters: ["Изображения (*.png *.jpg *.jpeg *.webp *.gif *.bmp *.tif *.tiff *.heic)"]
        onAccepted: dialogs.viewModel.composer.pickPhoto(selectedFile)
        onVisibleChanged: if (!visible) dialogs.viewModel.showingPhotoPicker = false
    }
    VexaFileDialog {
        id: fileDialog
        objectName: "fileDialog"
        kind: "documents"
        title: "Файл для отправки"
        visible: dialogs.viewModel.showingFilePicker
        fileMode: FileDialog.OpenFile
        nameFilters: ["PDF (*.pdf)", "Текст (*.txt *.text *.md)", "JSON (*.json)",
                      "CSV (*.csv)", "XML (*.xml)",
                      "Исходный код (*.c *.cc *.cpp *.h *.hpp *.py *.js *.ts *.java *.kt *.swift *.go *.rs *.rb *.php *.cs *.sh *.qml *.html *.css *.sql)",
                      "Все файлы (*)"]
        // Any file can be sent: the dialog starts on all of them, the kinds above narrow it.
        selectedNameFilter.index: nameFilters.length - 1
        onAccepted: dialogs.viewModel.composer.attachFile(selectedFile)
        onVisibleChanged: if (!visible) dialogs.viewModel.showingFilePicker = false
    }
    VexaFileDialog {
        id: saveDialog
        objectName: "saveDialog"
        kind: "documents"
        title: "Сохранить текст"
        fileMode: FileDialog.SaveFile
        defaultSuffix: "txt"
        nameFilters: ["Текст (*.txt)"]
        onAccepted: dialogs.viewModel.saveTextAs(selectedFile, dialogs.textToSave)
    }
}
