import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Voice

// One voice: the selection mark, its name and details, the favourite star, "Выбрать" and
// "Послушать". The list is one stop of the Tab chain: only the current row's buttons take Tab
// (star, "Выбрать", "Послушать", then out of the list); Up and Down move to the same button of
// the neighbouring voice (see VexaVoiceLibraryView).
FocusScope {
    id: row

    required property VoiceLibraryViewModel viewModel
    required property int index
    required property string identifier
    required property string name
    required property string details
    required property bool favorite
    required property bool selected

    readonly property bool current: ListView.isCurrentItem
    // The button the keyboard lands on when the view hands the row the focus (Up, Down).
    property int keyColumn: 0

    // The keyboard comes to this row's button in `column` (0 the star, 1 "Выбрать", 2 "Послушать").
    function focusColumn(column) {
        const buttons = [star, choose, listen]
        buttons[Math.max(0, Math.min(buttons.length - 1, column))].forceActiveFocus(Qt.TabFocusReason)
    }
    // A button of the row took the keyboard (or gave it up); Tab or Shift+Tab left the row.
    signal buttonFocused(int column, bool focused)
    signal leftRow(bool forward)
    property bool holdsFocus: false
    function noteFocus(column, focused) {
        row.holdsFocus = focused
        row.buttonFocused(column, focused)
    }

    // The view gives the keyboard to its new current row: on to the button in the same column.
    onActiveFocusChanged: {
        if (row.activeFocus && !star.activeFocus && !choose.activeFocus && !listen.activeFocus)
            row.focusColumn(row.keyColumn)
    }
    implicitHeight: content.implicitHeight + 16
    Accessible.role: Accessible.ListItem
    Accessible.name: row.name + ", " + row.details

    Rectangle {
        anchors.fill: parent
        radius: 12
        color: row.selected ? VexaTheme.selectionFill : VexaTheme.cardFill
        border.width: row.holdsFocus ? 1 : 0
        border.color: VexaTheme.accentSecondary
    }

    RowLayout {
        id: content
        anchors.fill: parent
        anchors.margins: 8
        spacing: 8

        VexaIcon {
            symbol: row.selected ? "checkmark.circle.fill" : "circle"
            color: row.selected ? VexaTheme.accentSecondary : VexaTheme.textTertiary
        }
        ColumnLayout {
            // Whatever the buttons leave is the name's: it wraps to a second line before it
            // would be cut.
            Layout.fillWidth: true
            Layout.preferredWidth: 1
            spacing: 2
            Label {
                objectName: "voiceName"
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: row.name
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
                color: VexaTheme.textPrimary
                font.pixelSize: VexaTheme.bodySize
                font.weight: Font.DemiBold
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: row.details
                wrapMode: Text.Wrap
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.captionSize
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
        VoiceButton {
            id: star
            objectName: "favorite"
            flat: true
            activeFocusOnTab: row.current || activeFocus
            symbol: row.favorite ? "star.fill" : "star"
            symbolColor: row.favorite ? VexaTheme.favorite : VexaTheme.textTertiary
            accessibleName: row.favorite ? "Убрать из избранного" : "Добавить в избранное"
            onClicked: row.viewModel.toggleFavorite(row.identifier)
            onActiveFocusChanged: row.noteFocus(0, activeFocus)
            Keys.onBacktabPressed: row.leftRow(false)
        }
        VoiceButton {
            id: choose
            objectName: "choose"
            flat: true
            activeFocusOnTab: row.current || activeFocus
            text: row.selected ? "Выбран" : "Выбрать"
            onClicked: row.viewModel.selectVoice(row.identifier)
            onActiveFocusChanged: row.noteFocus(1, activeFocus)
        }
        VoiceButton {
            id: listen
            objectName: "listen"
            flat: true
            activeFocusOnTab: row.current || activeFocus
            symbol: "play.fill"
            // Beside each other in a narrow sheet the symbol says enough.
            text: row.width > 460 ? "Послушать" : ""
            accessibleName: "Послушать"
            onClicked: row.viewModel.listen(row.identifier)
            onActiveFocusChanged: row.noteFocus(2, activeFocus)
            Keys.onTabPressed: row.leftRow(true)
        }
    }
}
