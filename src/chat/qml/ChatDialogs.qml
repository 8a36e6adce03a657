import QtQuick
import QtQuick.Dialogs
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

    FileDialog {
        id: photoDialog
        objectName: "photoDialog"
        title: "Фото для анализа"
        visible: dialogs.viewModel.showingPhotoPicker
        fileMode: FileDialog.OpenFile
        nameFilters: ["Изображения (*.png *.jpg *.jpeg *.webp *.gif *.bmp *.tif *.tiff *.heic)"]
        onAccepted: dialogs.viewModel.pickPhoto(selectedFile)
        onVisibleChanged: if (!visible) dialogs.viewModel.showingPhotoPicker = false
    }
    FileDialog {
        id: fileDialog
        objectName: "fileDialog"
        title: "Файл для отправки"
        visible: dialogs.viewModel.showingFilePicker
        fileMode: FileDialog.OpenFile
        nameFilters: ["PDF (*.pdf)", "Текст (*.txt *.text *.md)", "JSON (*.json)",
                      "CSV (*.csv)", "XML (*.xml)",
                      "Исходный код (*.c *.cc *.cpp *.h *.hpp *.py *.js *.ts *.java *.kt *.swift *.go *.rs *.rb *.php *.cs *.sh *.qml *.html *.css *.sql)",
                      "Все файлы (*)"]
        onAccepted: dialogs.viewModel.attachFile(selectedFile)
        onVisibleChanged: if (!visible) dialogs.viewModel.showingFilePicker = false
    }
    FileDialog {
        id: saveDialog
        objectName: "saveDialog"
        title: "Сохранить текст"
        fileMode: FileDialog.SaveFile
        defaultSuffix: "txt"
        nameFilters: ["Текст (*.txt)"]
        onAccepted: dialogs.viewModel.saveTextAs(selectedFile, dialogs.textToSave)
    }
}
