import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// "Раздел" and the selected section's own controls.
ColumnLayout {
    id: controls

    required property UtilityViewModel viewModel
    readonly property string mode: viewModel.mode

    spacing: 10

    function focusFirst() { sectionBox.forceActiveFocus() }

    RowLayout {
        Layout.fillWidth: true
        Label {
            text: "Раздел"
            color: VexaTheme.textSecondary
            font.pixelSize: VexaTheme.bodySize
        }
        ComboBox {
            id: sectionBox
            delegate: ComboBoxEntry { box: sectionBox }
            objectName: "sectionPicker"
            Layout.fillWidth: true
            model: controls.viewModel.modes
            currentIndex: controls.viewModel.modes.indexOf(controls.viewModel.mode)
            onActivated: index => controls.viewModel.mode = controls.viewModel.modes[index]
            Accessible.name: "Раздел"
            Connections {
                target: controls.viewModel
                function onModeChanged() { sectionBox.currentIndex = controls.viewModel.modes.indexOf(controls.viewModel.mode) }
            }
        }
    }

    // Поиск
    RowLayout {
        Layout.fillWidth: true
        visible: controls.mode === "Поиск"
        TextField {
            objectName: "searchField"
            Layout.fillWidth: true
            placeholderText: "Найти во всей истории"
            text: controls.viewModel.query
            onTextEdited: controls.viewModel.query = text
            onAccepted: if (!controls.viewModel.busy) controls.viewModel.load()
            Accessible.name: placeholderText
        }
        UtilityTextButton {
            objectName: "findButton"
            text: "Найти"
            enabled: !controls.viewModel.busy
            onClicked: controls.viewModel.load()
        }
    }

    // Экспорт
    ColumnLayout {
        Layout.fillWidth: true
        visible: controls.mode === "Экспорт"
        Caption { text: "Весь текущий диалог, включая предыдущие сообщения." }
        Flow {
            Layout.fillWidth: true
            spacing: 8
            UtilityTextButton {
                objectName: "exportButton"
                text: "Подготовить Markdown"
                enabled: !controls.viewModel.busy
                onClicked: controls.viewModel.load()
            }
            UtilityTextButton {
                id: exportShare
                objectName: "exportShareButton"
                visible: controls.viewModel.exported.length > 0
                text: "Сохранить или поделиться"
                onClicked: {
                    exportMenu.returnFocus = exportShare
                    exportMenu.popup(exportShare, 0, exportShare.height)
                }
            }
        }
        ShareMenu {
            id: exportMenu
            objectName: "exportMenu"
            copyTitle: "Скопировать Markdown"
            saveTitle: "Сохранить как .md…"
            onCopyRequested: controls.viewModel.copyExport()
            onSaveRequested: exportDialog.open()
            onMailRequested: controls.viewModel.shareExportByMail()
        }
        VexaFileDialog {
            id: exportDialog
            objectName: "exportDialog"
            title: "Сохранить диалог"
            kind: "documents"
            fileMode: FileDialog.SaveFile
            defaultSuffix: "md"
            nameFilters: ["Markdown (*.md)"]
            onAccepted: controls.viewModel.saveExport(selectedFile)
        }
    }

    // Документы
    Caption {
        visible: controls.mode === "Документы"
        text: "Прикрепите PDF/DOCX через + в чате. Выберите документ для вопросов и краткой выжимки."
    }

    // Напоминания
    ColumnLayout {
        Layout.fillWidth: true
        visible: controls.mode === "Напоминания"
        TextField {
            objectName: "reminderText"
            Layout.fillWidth: true
            placeholderText: "Что напомнить"
            text: controls.viewModel.query
            onTextEdited: controls.viewModel.query = text
            Accessible.name: placeholderText
        }
        TextField {
            objectName: "reminderWhen"
            Layout.fillWidth: true
            placeholderText: "Когда"
            text: controls.viewModel.when
            onTextEdited: controls.viewModel.when = text
            onAccepted: if (remindButton.enabled) controls.viewModel.createReminder()
            Accessible.name: placeholderText
        }
        UtilityTextButton {
            id: remindButton
            objectName: "remindButton"
            text: "Напомнить в Telegram"
            enabled: !controls.viewModel.busy && !controls.viewModel.creatingReminder
            onClicked: controls.viewModel.createReminder()
        }
        Caption { text: "Время учитывает часовой пояс аккаунта." }
    }

    // Уведомления
    ColumnLayout {
        Layout.fillWidth: true
        visible: controls.mode === "Уведомления"
        Switch {
            objectName: "newsSwitch"
            text: "Новости Vexa AI"
            checked: controls.viewModel.news
            onToggled: controls.viewModel.news = checked
        }
        Switch {
            objectName: "promosSwitch"
            text: "Акции и реклама"
            checked: controls.viewModel.promos
            onToggled: controls.viewModel.promos = checked
        }
        UtilityTextButton {
            objectName: "savePreferencesButton"
            text: "Сохранить настройки"
            onClicked: controls.viewModel.savePreferences()
        }
        Caption { text: controls.viewModel.noticesCaption }
    }

    component Caption: Label {
        textFormat: Text.PlainText
        Layout.fillWidth: true
        wrapMode: Text.Wrap
        color: VexaTheme.textSecondary
        font.pixelSize: VexaTheme.captionSize + 1
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
}
