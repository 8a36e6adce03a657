import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Shell

// "О приложении": version, the service the app talks to, where it keeps its files, and the
// parts it is built from. Opened from the sections sheet or with F1; Esc or "Закрыть" closes it.
Dialog {
    id: dialog
    objectName: "aboutDialog"

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(480, parent.width - 32)
    modal: true
    focus: true
    title: "О приложении"
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    padding: 22
    topPadding: 8

    // "Сочетания клавиш": the root opens the sheet once this dialog is gone.
    signal shortcutsRequested()

    AboutInfo {
        id: info
    }

    Overlay.modal: Rectangle {
        color: VexaTheme.dim
    }
    background: Rectangle {
        radius: VexaTheme.cardRadius
        color: VexaTheme.sheetFill
        border.width: 1
        border.color: VexaTheme.cardOutline
    }
    header: Label {
        textFormat: Text.PlainText
        text: dialog.title
        padding: 22
        bottomPadding: 0
        font.pixelSize: VexaTheme.headingSize
        font.weight: Font.Bold
        color: VexaTheme.textPrimary
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }

    contentItem: ColumnLayout {
        spacing: 10

        AboutLine {
            label: "Vexa AI"
            value: "Версия " + info.version
            objectName: "aboutVersion"
        }
        AboutLine {
            label: "Сервис"
            value: info.serviceOrigin
            objectName: "aboutOrigin"
        }
        AboutLine {
            label: "Папка данных"
            value: info.dataFolder
            objectName: "aboutDataFolder"
        }
        Label {
            Layout.topMargin: 6
            text: "Компоненты и лицензии"
            font.pixelSize: VexaTheme.bodySize
            font.weight: Font.DemiBold
            color: VexaTheme.textPrimary
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Repeater {
            model: info.components
            AboutLine {
                required property var modelData
                label: modelData.name + " — " + modelData.licence
                value: modelData.use
            }
        }
    }

    footer: DialogButtonBox {
        background: null
        Button {
            objectName: "aboutShortcutsButton"
            text: "Сочетания клавиш"
            flat: true
            font.capitalization: Font.MixedCase
            // A role of its own: the box's accepted/rejected would also close the dialog first.
            DialogButtonBox.buttonRole: DialogButtonBox.ActionRole
            onClicked: {
                dialog.close()
                dialog.shortcutsRequested()
            }
        }
        Button {
            objectName: "aboutCloseButton"
            text: "Закрыть"
            flat: true
            font.capitalization: Font.MixedCase
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
        }
    }
}
