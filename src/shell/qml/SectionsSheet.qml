import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Shell

// "Разделы Vexa": every section, narrowed by the search field. Opened from the sidebar's
// search button, Ctrl+K or the dock's "Ещё"; Esc, "Готово" or a click outside closes it.
Popup {
    id: sheet
    objectName: "sectionsSheet"

    required property RootViewModel model

    // "О приложении" at the sheet's foot: the root opens the dialog once the sheet is gone.
    signal aboutRequested()

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(520, parent.width - 24)
    height: Math.min(600, parent.height - 48)
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside

    onAboutToHide: model.closeSections()
    onOpened: search.forceActiveFocus()

    Connections {
        target: sheet.model
        function onShowingSectionsChanged() {
            if (sheet.model.showingSections)
                sheet.open()
            else
                sheet.close()
        }
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
                text: "Разделы Vexa"
                font.pixelSize: VexaTheme.headingSize
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Button {
                objectName: "doneButton"
                text: "Готово"
                flat: true
                font.capitalization: Font.MixedCase
                font.pixelSize: VexaTheme.bodySize
                onClicked: sheet.close()
            }
        }
        TextField {
            id: search
            objectName: "sectionSearchField"
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            placeholderText: "Найти раздел"
            Accessible.name: placeholderText
            text: sheet.model.quickSearch
            onTextEdited: sheet.model.quickSearch = text
            // Enter takes the first section found.
            onAccepted: {
                if (list.count > 0)
                    sheet.model.chooseSection(sheet.model.foundSections.sectionAt(0))
            }
            Keys.onDownPressed: list.forceActiveFocus()
        }
        ListView {
            id: list
            objectName: "sectionList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.bottomMargin: 10
            clip: true
            model: sheet.model.foundSections
            keyNavigationEnabled: true
            activeFocusOnTab: true
            delegate: SectionRow {
                width: ListView.view.width
                onChosen: section => sheet.model.chooseSection(section)
            }
        }
        Button {
            objectName: "aboutButton"
            Layout.leftMargin: 12
            Layout.bottomMargin: 8
            text: "О приложении"
            flat: true
            font.capitalization: Font.MixedCase
            font.pixelSize: VexaTheme.bodySize
            onClicked: {
                sheet.close()
                sheet.aboutRequested()
            }
        }
    }
}
