import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Voice

// Above the voice rows: the language and the automatic choice, then the favourites
// filter with the counts line (and the empty-list text when nothing is shown).
ColumnLayout {
    id: header

    required property VoiceLibraryViewModel viewModel
    // Tab from the last control: the list goes on with its rows.
    signal tabbedOut()
    function focusLast() { favorites.forceActiveFocus(Qt.BacktabFocusReason) }

    spacing: 10

    GlassCard {
        Layout.fillWidth: true
        ColumnLayout {
            spacing: 8
            RowLayout {
                Layout.fillWidth: true
                Label {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: "Язык разговора"
                    color: VexaTheme.textPrimary
                    font.pixelSize: VexaTheme.bodySize
                }
                ComboBox {
                    id: language
                    objectName: "voiceLanguage"
                    textRole: "title"
                    valueRole: "value"
                    implicitContentWidthPolicy: ComboBox.WidestText
                    model: [{ title: "Русский", value: "ru-RU" },
                            { title: "English · все акценты", value: "en-US" }]
                    currentIndex: header.viewModel.locale === "en-US" ? 1 : 0
                    onActivated: header.viewModel.locale = currentValue
                    Accessible.name: "Язык разговора"
                }
            }
            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: header.viewModel.caption
                wrapMode: Text.Wrap
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.captionSize
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Label {
                textFormat: Text.PlainText
                objectName: "missingVoiceWarning"
                Layout.fillWidth: true
                visible: header.viewModel.selectionMissing
                text: header.viewModel.missingWarning
                wrapMode: Text.Wrap
                color: VexaTheme.warningStrong
                font.pixelSize: VexaTheme.captionSize
                Accessible.role: Accessible.AlertMessage
                Accessible.name: text
            }
            ItemDelegate {
                id: automatic
                objectName: "automaticVoice"
                Layout.fillWidth: true
                padding: 6
                Accessible.name: "Лучший доступный голос автоматически"
                Accessible.checked: header.viewModel.automaticSelected
                onClicked: header.viewModel.selectAutomatic()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                contentItem: RowLayout {
                    spacing: 10
                    VexaIcon {
                        symbol: header.viewModel.automaticSelected ? "checkmark.circle.fill" : "circle"
                        color: header.viewModel.automaticSelected ? VexaTheme.accentSecondary : VexaTheme.textSecondary
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Label {
                            textFormat: Text.PlainText
                            Layout.fillWidth: true
                            text: automatic.Accessible.name
                            wrapMode: Text.Wrap
                            color: VexaTheme.textPrimary
                            font.pixelSize: VexaTheme.bodySize
                        }
                        Label {
                            textFormat: Text.PlainText
                            objectName: "automaticTitle"
                            Layout.fillWidth: true
                            visible: text.length > 0
                            text: header.viewModel.automaticTitle
                            wrapMode: Text.Wrap
                            color: VexaTheme.textSecondary
                            font.pixelSize: VexaTheme.captionSize
                        }
                    }
                }
            }
        }
    }

    RowLayout {
        Layout.fillWidth: true
        Switch {
            id: favorites
            objectName: "onlyFavorites"
            text: "Только избранные"
            checked: header.viewModel.onlyFavorites
            onToggled: header.viewModel.onlyFavorites = checked
            Keys.onReturnPressed: toggle(), toggled()
            Keys.onTabPressed: header.tabbedOut()
            Accessible.name: text
        }
        Item { Layout.fillWidth: true }
        BusyIndicator {
            objectName: "voicesLoading"
            implicitWidth: 28
            implicitHeight: 28
            running: header.viewModel.loading
            visible: running
            Accessible.name: "Список голосов обновляется"
        }
    }
    Label {
        textFormat: Text.PlainText
        objectName: "countsLine"
        Layout.fillWidth: true
        text: header.viewModel.countsLine
        color: VexaTheme.textSecondary
        font.pixelSize: VexaTheme.captionSize
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    Label {
        textFormat: Text.PlainText
        objectName: "emptyVoices"
        Layout.fillWidth: true
        Layout.bottomMargin: 6
        visible: text.length > 0 && !header.viewModel.loading
        text: header.viewModel.emptyText
        wrapMode: Text.Wrap
        color: VexaTheme.textSecondary
        font.pixelSize: VexaTheme.bodySize
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
}
