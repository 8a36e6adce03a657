import QtQuick
import QtQuick.Controls
import VexaAI.Style
import VexaAI.Voice

// The library's scrolling part: the language card above, one row per voice, the help and the
// speech rate below. Rows are made as they come into sight, so the keyboard cannot rely on Qt's
// Tab chain (it would skip rows never made and leave the view where it was): the voices are one
// stop of the chain — Tab from the header enters the current row, Tab from its last button goes
// on to the footer — and Up and Down move between voices. Whatever takes the keyboard inside the
// list is scrolled into sight.
ListView {
    id: list

    required property VoiceLibraryViewModel viewModel
    // Which button of a row had the keyboard last (0 the star, 1 "Выбрать", 2 "Послушать"): Up
    // and Down take it to the same button of the next voice.
    property int focusColumn: 0

    // Into the rows from above (the first button) or below (the last); false without rows.
    function enterRows(fromBelow) {
        if (list.count === 0)
            return false
        if (list.currentIndex < 0)
            list.currentIndex = 0
        list.currentItem.focusColumn(fromBelow ? 2 : 0)
        return true
    }
    // Out of the rows: forward to the footer, back to the header.
    function leaveRows(forward) {
        if (forward)
            list.footerItem.focusFirst()
        else
            list.headerItem.focusLast()
    }
    clip: true
    spacing: 6
    model: viewModel.voices
    boundsBehavior: Flickable.StopAtBounds
    keyNavigationEnabled: true
    currentIndex: -1 // opens at the top, the language and the automatic choice in view
    ScrollBar.vertical: ScrollBar {}

    FocusFollower {
        flickable: list
        content: list.contentItem
        margin: 8
    }

    header: VoiceLibraryHeader {
        width: list.width
        viewModel: list.viewModel
        onTabbedOut: if (!list.enterRows(false)) list.footerItem.focusFirst()
    }
    delegate: VoiceRow {
        id: row
        width: list.width
        viewModel: list.viewModel
        keyColumn: list.focusColumn
        onButtonFocused: (column, focused) => {
            if (focused) {
                list.currentIndex = row.index
                list.focusColumn = column
            }
        }
        onLeftRow: forward => list.leaveRows(forward)
    }
    footer: VoiceLibraryFooter {
        width: list.width
        viewModel: list.viewModel
        onBacktabbedOut: if (!list.enterRows(true)) list.headerItem.focusLast()
    }
}
