import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style

// "Сочетания клавиш": every key of the app by screen, from the table the shortcuts themselves
// take their keys from. The search narrows the rows (Down goes to the list, where the arrows
// move); Esc, "Готово" or a click outside closes it. Opened with Ctrl+/ or from "О приложении".
Popup {
    id: sheet
    objectName: "shortcutsSheet"

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(620, parent.width - 24)
    height: Math.min(640, parent.height - 48)
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside

    onOpened: search.forceActiveFocus()
    onClosed: search.text = ""

    ShortcutListModel {
        id: rows
        query: search.text
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

    contentItem: ColumnLayout {
        spacing: 10

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 10
            Layout.topMargin: 12

            Label {
                Layout.fillWidth: true
                text: "Сочетания клавиш"
                font.pixelSize: VexaTheme.headingSize
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Button {
                objectName: "shortcutsDoneButton"
                text: "Готово"
                flat: true
                font.capitalization: Font.MixedCase
                font.pixelSize: VexaTheme.bodySize
                onClicked: sheet.close()
            }
        }
        TextField {
            id: search
            objectName: "shortcutSearchField"
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            placeholderText: "Найти сочетание или действие"
            Accessible.name: "Поиск сочетаний клавиш"
            Accessible.description: placeholderText
            Keys.onDownPressed: list.forceActiveFocus()
        }
        Label {
            objectName: "shortcutsNothingFound"
            visible: rows.count === 0
            Layout.leftMargin: 20
            text: "Ничего не найдено"
            textFormat: Text.PlainText
            color: VexaTheme.textSecondary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        ListView {
            id: list
            objectName: "shortcutList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.bottomMargin: 10
            clip: true
            model: rows
            keyNavigationEnabled: true
            activeFocusOnTab: true
            Accessible.role: Accessible.List
            Accessible.name: "Сочетания клавиш"
            ScrollBar.vertical: ScrollBar {}
            section.property: "group"
            section.delegate: Label {
                required property string section
                width: ListView.view.width
                leftPadding: 20
                topPadding: 12
                bottomPadding: 4
                text: section
                textFormat: Text.PlainText
                font.pixelSize: VexaTheme.captionSize
                font.weight: Font.DemiBold
                color: VexaTheme.accent
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            delegate: ShortcutRow {
                width: ListView.view.width
            }
        }
    }
}
