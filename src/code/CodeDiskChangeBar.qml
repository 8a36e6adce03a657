// Over the editor when the open file was changed or deleted outside the app: the editor's text
// stays until the user chooses. Changed: load the file's new text, or keep the editor's (then
// unsaved). Deleted: save the text to the file again, or keep it in the editor unsaved.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Code
import VexaAI.Style

Rectangle {
    id: bar

    required property CodeProjectStore store
    // The file is written again (the view-model's save, with its notice).
    signal saveRequested()

    readonly property bool deleted: store.diskChange === CodeProjectStore.Deleted

    visible: store.diskChange !== CodeProjectStore.None
    implicitHeight: row.implicitHeight + 12
    color: VexaTheme.chromeFill
    border.color: VexaTheme.separator
    radius: 6
    Accessible.role: Accessible.AlertMessage
    Accessible.name: message.text

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 6
        spacing: 6

        Label {
            id: message
            objectName: "diskChangeMessage"
            textFormat: Text.PlainText
            text: bar.deleted ? qsTr("Файл удалён вне приложения. Текст остался в редакторе.")
                              : qsTr("Файл изменён вне приложения.")
            wrapMode: Text.Wrap
            color: VexaTheme.textPrimary
            Layout.fillWidth: true
        }
        TextButton {
            objectName: bar.deleted ? "saveAgainButton" : "reloadButton"
            text: bar.deleted ? qsTr("Сохранить снова") : qsTr("Загрузить с диска")
            onClicked: bar.deleted ? bar.saveRequested() : bar.store.reloadFromDisk()
        }
        TextButton {
            objectName: "keepTextButton"
            text: qsTr("Оставить мой текст")
            onClicked: bar.store.keepEditorText()
        }
    }
}
