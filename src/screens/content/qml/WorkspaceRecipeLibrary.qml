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

    // Recipes the user opened stay open when the list is rebuilt (a favourite toggled, a search).
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
        visible: library.viewModel.recipes.length === 0
        text: "Нет сценариев. Измените поиск или добавьте сценарий в избранное."
        wrapMode: Text.Wrap
        color: VexaTheme.textSecondary
        font.pixelSize: VexaTheme.captionSize + 1
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    Repeater {
        model: library.viewModel.recipes
        delegate: WorkspaceDisclosure {
            id: recipe
            required property var modelData
            required property int index
            Layout.fillWidth: true
            title: modelData.title
            expanded: library.openRecipes[modelData.recipeID] === true
            onExpandedChanged: library.openRecipes[modelData.recipeID] = expanded

            WorkspaceSelectableText {
                Layout.fillWidth: true
                text: recipe.modelData.prompt
            }
            Label {
                Layout.fillWidth: true
                text: recipe.modelData.hint
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
                Button {
                    font.capitalization: Font.MixedCase
                    text: "Скопировать запрос"
                    onClicked: library.viewModel.copyRecipe(recipe.index)
                    Keys.onReturnPressed: clicked()
                }
                Button {
                    font.capitalization: Font.MixedCase
                    text: recipe.modelData.isFavorite ? "Убрать из избранного" : "☆ В избранное"
                    enabled: !library.viewModel.pinning
                    onClicked: library.viewModel.toggleFavorite(recipe.index)
                    Keys.onReturnPressed: clicked()
                }
            }
        }
    }
}
