import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Chat

// The bottom of the chat: a dictation error, the attachments, and the row with the attach
// menu, the message field, dictation and send.
ColumnLayout {
    id: composer

    required property ChatComposer viewModel
    signal photoPickerRequested()
    signal filePickerRequested()

    function focusField() { field.focusField() }
    // What is still being composed in an input method goes into the text before it is sent.
    function send() {
        Qt.inputMethod.commit()
        composer.viewModel.send()
    }

    spacing: 8

    Label {
        objectName: "voiceError"
        Layout.fillWidth: true
        visible: text.length > 0
        textFormat: Text.PlainText
        text: composer.viewModel.voiceError
        wrapMode: Text.Wrap
        color: VexaTheme.errorMuted
        font.pixelSize: VexaTheme.captionSize
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    Flow {
        Layout.fillWidth: true
        spacing: 8
        visible: composer.viewModel.hasAttachedImage || composer.viewModel.attachedFileName.length > 0

        AttachmentChip {
            objectName: "photoChip"
            visible: composer.viewModel.hasAttachedImage
            thumbnail: composer.viewModel.attachedImageThumbnail
            caption: "Фото для анализа"
            removeLabel: "Убрать фото"
            onRemoveRequested: composer.viewModel.removePhoto()
        }
        AttachmentChip {
            objectName: "fileChip"
            visible: composer.viewModel.attachedFileName.length > 0
            symbol: "doc.fill"
            caption: composer.viewModel.attachedFileName
            removeLabel: "Убрать файл"
            onRemoveRequested: composer.viewModel.removeFile()
        }
    }
    RowLayout {
        Layout.fillWidth: true
        spacing: 4

        IconButton {
            id: attach
            objectName: "attachButton"
            Layout.alignment: Qt.AlignBottom
            symbol: "plus"
            label: "Прикрепить фото или файл"
            onClicked: {
                // Made (and compiled, by address) on first use, not with the screen.
                if (!menuMade) {
                    menuMade = Qt.createComponent("qrc:/qt/qml/VexaAI/Chat/AttachMenu.qml").createObject(attach)
                    menuMade.photoRequested.connect(composer.photoPickerRequested)
                    menuMade.fileRequested.connect(composer.filePickerRequested)
                }
                menuMade.popup(attach, 0, -menuMade.implicitHeight)
            }

            property QtObject menuMade: null
        }
        ComposerField {
            id: field
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignBottom
            viewModel: composer.viewModel
            onSendRequested: composer.send()
        }
        IconButton {
            objectName: "dictationButton"
            Layout.alignment: Qt.AlignBottom
            symbol: composer.viewModel.listening ? "stop.circle.fill" : "mic"
            label: composer.viewModel.listening ? "Остановить диктовку" : "Продиктовать текст"
            tint: composer.viewModel.listening ? VexaTheme.error : VexaTheme.textPrimary
            onClicked: composer.viewModel.toggleDictation()
        }
        IconButton {
            objectName: "sendButton"
            Layout.alignment: Qt.AlignBottom
            symbol: "arrow.up"
            label: "Отправить"
            enabled: composer.viewModel.canSend
            onClicked: composer.send()
            background: Rectangle {
                radius: width / 2
                color: VexaTheme.accent
                opacity: parent.enabled ? 1 : 0.3
            }
        }
    }
}
