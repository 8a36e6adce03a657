import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style
import VexaAI.Answer

// A question to the web: Enter asks (Shift+Enter breaks the line), the answer shows below.
GlassCard {
    id: card

    required property ToolsViewModel viewModel

    ColumnLayout {
        spacing: 12

        CardHeader {
            Layout.fillWidth: true
            symbol: "globe"
            title: "Поиск в интернете"
            caption: "Свежая информация и ответ с источниками. Учитывается тарифный лимит."
        }
        GrowingTextArea {
            objectName: "searchField"
            Layout.fillWidth: true
            placeholderText: "Что найти?"
            minLines: 1
            maxLines: 3
            submitOnEnter: true
            text: card.viewModel.query
            onTextChanged: card.viewModel.query = text
            onSubmitted: card.viewModel.search()
        }
        ProminentButton {
            objectName: "searchButton"
            text: card.viewModel.searchBusy ? "Ищем…" : "Найти"
            symbol: "magnifyingglass"
            enabled: card.viewModel.canSearch
            onClicked: card.viewModel.search()
            Keys.onReturnPressed: card.viewModel.search()
        }
        AnswerText {
            objectName: "searchResult"
            Layout.fillWidth: true
            visible: text.length > 0
            text: card.viewModel.searchResult
        }
    }
}
