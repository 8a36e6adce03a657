import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// The images section: a header, the generation and editing cards, and the text or picture
// result, in one scrolling column. The model choice is made again each time the page appears.
Item {
    id: view
    objectName: "imagesView"

    property ImagesViewModel viewModel: ImagesViewModel {}

    Component.onCompleted: viewModel.appear()
    onVisibleChanged: if (visible) viewModel.appear()

    // Scrolls the focused control into view (the edit card's button sits below the fold).
    FocusFollower {
        flickable: scroll.contentItem
        content: column
    }

    ScrollView {
        id: scroll
        anchors.fill: parent
        contentWidth: availableWidth

        ColumnLayout {
            id: column
            width: Math.min(scroll.availableWidth - 2 * VexaTheme.margin, 760)
            x: (scroll.availableWidth - width) / 2
            spacing: 16

            Item { implicitHeight: VexaTheme.margin - 16 }
            Label {
                text: "Изображения Vexa"
                font.pixelSize: VexaTheme.titleSize
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Label {
                text: "Опишите идею — Vexa создаст изображение."
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.bodySize
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            ImagesGenerateCard {
                id: generateCard
                Layout.fillWidth: true
                viewModel: view.viewModel
            }
            ImagesEditCard {
                Layout.fillWidth: true
                viewModel: view.viewModel
                onPickRequested: pictureDialog.open()
            }
            ImagesTextCard {
                Layout.fillWidth: true
                visible: view.viewModel.hasTextResult
                viewModel: view.viewModel
                onSaveRequested: textDialog.open()
            }
            ImagesResultCard {
                Layout.fillWidth: true
                visible: view.viewModel.hasResult
                viewModel: view.viewModel
                onSaveRequested: pngDialog.open()
            }
            Label {
                objectName: "imagesStatus"
                visible: text.length > 0
                textFormat: Text.PlainText
                text: view.viewModel.status
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.captionSize
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Item { implicitHeight: VexaTheme.margin - 16 }
        }
    }

    VexaFileDialog {
        id: pictureDialog
        objectName: "pictureDialog"
        kind: "pictures"
        title: "Изображение для редактирования"
        fileMode: FileDialog.OpenFile
        nameFilters: ["Изображения (*.png *.jpg *.jpeg *.webp *.gif *.bmp *.tif *.tiff *.heic)"]
        onAccepted: view.viewModel.pickPicture(selectedFile)
    }
    VexaFileDialog {
        id: pngDialog
        objectName: "pngDialog"
        kind: "pictures"
        title: "Сохранить изображение"
        fileMode: FileDialog.SaveFile
        defaultSuffix: "png"
        nameFilters: ["PNG (*.png)"]
        onAccepted: view.viewModel.saveResult(selectedFile)
    }
    VexaFileDialog {
        id: textDialog
        objectName: "textDialog"
        kind: "documents"
        title: "Сохранить текст"
        fileMode: FileDialog.SaveFile
        defaultSuffix: "txt"
        nameFilters: ["Текст (*.txt)"]
        onAccepted: view.viewModel.saveTextResult(selectedFile)
    }
}
