import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VexaAI.Content
import VexaAI.Style

// The prompt recipe library: search, category, and one group per visible recipe with its copy
// and favourite buttons.
WorkspaceDisclosure {
    id: library

    required property SavedAnswersViewModel viewModel

    title: "📚 Библиотека запросов · 16 сценариев"

    // Recipes the user opened stay open when a search or a category hid them for a while.
    property var openRecipes: ({})

    RowLayout {
        Layout.fillWidth: true
        spacing: 8
        TextField {
            objectName: "recipeSearchField"
            Layout.fillWidth: true
            placeholderText: "Найти сценарий"
            selectByMouse: true
            text: library.viewModel.recipeQuery
            onTextEdited: library.viewModel.recipeQuery = text
            Accessible.name: placeholderText
        }
        Label {
            text: "Категория"
            color: VexaTheme.textSecondary
        }
        ComboBox {
            id: categoryPicker
            delegate: ComboBoxEntry { box: categoryPicker }
            objectName: "categoryPicker"
            model: library.viewModel.categories
            textRole: "label"
            valueRole: "tag"
            currentIndex: indexOfValue(library.viewModel.category)
            onActivated: library.viewModel.category = currentValue
            Accessible.name: "Категория"
            Component.onCompleted: currentIndex = indexOfValue(library.viewModel.category)
        }
    }
    Label {
        Layout.fillWidth: true
        visible: library.viewModel.recipes.count === 0
        text: "Нет сценариев. Измените поиск или добавьте сценарий в избранное."
        wrapMode: Text.Wrap
        color: VexaTheme.textSecondary
        font.pixelSize: VexaTheme.captionSize + 1
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    Repeater {
        id: recipeRows
        model: library.viewModel.recipes
        onItemRemoved: (index, item) => rowFocus.rowRemoved(index, item)
        delegate: WorkspaceDisclosure {
            id: recipe
            required property int index
            required title
            required property string rowId
            required property string prompt
            required property string hint
            required property bool isFavorite
            readonly property Item focusTarget: recipe.header
            Layout.fillWidth: true
            expanded: library.openRecipes[rowId] === true
            onExpandedChanged: library.openRecipes[rowId] = expanded

            WorkspaceSelectableText {
                Layout.fillWidth: true
                text: recipe.prompt
            }
            Label {
                Layout.fillWidth: true
                text: recipe.hint
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                color: VexaTheme.textSecondary
                font.pixelSize: VexaTheme.captionSize + 1
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Flow {
                Layout.fillWidth: true
                spacing: 8
                TextButton {
                    text: "Скопировать запрос"
                    onClicked: library.viewModel.copyRecipe(recipe.index)
                    Keys.onReturnPressed: clicked()
                }
                TextButton {
                    text: recipe.isFavorite ? "Убрать из избранного" : "☆ В избранное"
                    enabled: !library.viewModel.pinning
                    onClicked: library.viewModel.toggleFavorite(recipe.index)
                    Keys.onReturnPressed: clicked()
                }
            }
        }
    }
    WorkspaceRowFocus {
        id: rowFocus
        repeater: recipeRows
        fallback: library.header
    }
}
