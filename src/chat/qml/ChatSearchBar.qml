import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Style
import VexaAI.Chat

// The in-chat search: a field bound to the query and a button that empties it.
RowLayout {
    id: bar

    required property ChatViewModel viewModel

    function focusField() { field.forceActiveFocus() }

    spacing: 8

    VexaIcon {
        symbol: "magnifyingglass"
        size: 18
        color: VexaTheme.textSecondary
    }
    TextField {
        id: field
        objectName: "chatSearchField"
        Layout.fillWidth: true
        placeholderText: "Найти в текущем чате"
        text: bar.viewModel.searchText
        onTextEdited: bar.viewModel.searchText = text
        Accessible.name: "Поиск в чате"
        Keys.onEscapePressed: bar.viewModel.searchVisible = false
    }
    IconButton {
        objectName: "clearSearchButton"
        visible: bar.viewModel.searchText.length > 0
        symbol: "xmark.circle.fill"
        label: "Очистить поиск"
        tint: VexaTheme.textSecondary
        onClicked: {
            bar.viewModel.clearSearch()
            field.forceActiveFocus()
        }
    }
}
