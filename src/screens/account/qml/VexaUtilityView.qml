import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Account

// "Инструменты Vexa" as a sheet over any screen: history search, export, documents, reminders
// and notices. Host it with `visible` bound to the host's flag and `onClosed` clearing it.
// Only Esc, "Готово" (or the window going) close it, never a click beside it, and an opening
// goes on with the section and texts the user left. F5 refreshes.
Popup {
    id: sheet

    property UtilityViewModel viewModel: UtilityViewModel {}

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(560, parent ? parent.width - 24 : 560)
    height: Math.min(680, parent ? parent.height - 48 : 680)
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape

    onAboutToShow: viewModel.present()
    onOpened: controls.focusFirst()

    Connections {
        target: sheet.viewModel
        function onCloseRequested() { sheet.close() }
    }
    Shortcut {
        sequences: VexaShortcuts.keys("utility.refresh")
        enabled: sheet.opened && !sheet.viewModel.busy
        onActivated: sheet.viewModel.load()
    }

    Overlay.modal: Rectangle { color: VexaTheme.dim }
    background: Rectangle {
        radius: VexaTheme.cardRadius
        color: VexaTheme.sheetFill
        border.width: 1
        border.color: VexaTheme.cardOutline
    }

    contentItem: ColumnLayout {
        spacing: 8

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 10
            Layout.topMargin: 12
            Label {
                Layout.fillWidth: true
                text: "Инструменты Vexa"
                elide: Text.ElideRight
                font.pixelSize: VexaTheme.headingSize
                font.weight: Font.Bold
                color: VexaTheme.textPrimary
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Button {
                objectName: "utilityDone"
                text: "Готово"
                flat: true
                font.capitalization: Font.MixedCase
                onClicked: sheet.close()
            }
        }
        ScrollView {
            id: scroll
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: availableWidth

            FocusFollower {
                flickable: scroll.contentItem
                content: utilityColumn
            }
            ColumnLayout {
                id: utilityColumn
                x: 16
                width: scroll.availableWidth - 32
                spacing: 10

                UtilitySectionControls {
                    id: controls
                    Layout.fillWidth: true
                    viewModel: sheet.viewModel
                }
                TextEdit {
                    objectName: "utilityInfo"
                    Layout.fillWidth: true
                    visible: text.length > 0
                    text: sheet.viewModel.info
                    textFormat: TextEdit.PlainText
                    readOnly: true
                    selectByMouse: true
                    wrapMode: TextEdit.Wrap
                    color: VexaTheme.textSecondary
                    selectionColor: VexaTheme.selectionFill
                    font.pixelSize: VexaTheme.bodySize
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
                Repeater {
                    id: rowCards
                    model: sheet.viewModel.rows
                    UtilityRowCard {
                        Layout.fillWidth: true
                        viewModel: sheet.viewModel
                    }
                    // A card that goes (a deleted reminder, a notice marked read) hands the
                    // keyboard to the card that takes its place, else to the one before it.
                    onItemRemoved: (index, item) => {
                        const action = item.focusedAction()
                        if (action.length === 0)
                            return
                        const next = rowCards.itemAt(index) || rowCards.itemAt(index - 1)
                        if (next)
                            next.focusAction(action)
                        else
                            refreshButton.forceActiveFocus(Qt.OtherFocusReason)
                    }
                }
                TextButton {
                    id: refreshButton
                    objectName: "refreshButton"
                    text: "Обновить"
                    enabled: !sheet.viewModel.busy
                    onClicked: sheet.viewModel.load()
                    Keys.onReturnPressed: clicked()
                    Keys.onEnterPressed: clicked()
                }
                Item { implicitHeight: 8 }
            }
        }
    }
}
