#pragma once

// The rules of the workspace screen, free of Qt Quick so tests state them row by row: when a
// typed text counts, what the service's feature switches allow, the recipe filter and the text a
// copied recipe becomes, and when the saved-answers pager moves.

#include "catalogrecords.h"
#include "vexastate.h"

#include <QList>
#include <QString>

#include <optional>

namespace vexa::content {

// A text worth sending: something besides white space (spaces, tabs, line breaks and the like).
bool hasVisibleText(const QString &text);

// A feature switch of the account state disables only when it is present and false.
bool featureAllows(const std::optional<VexaState> &state, std::optional<bool> VexaFeatures::*flag);

struct RecipeCategory {
    QString label;
    QString tag;
};
QList<RecipeCategory> recipeCategories();

// The recipes the library shows for a category tag and a search text, in the received order.
// The search is case-insensitive in the current locale and matches title, hint and prompt.
QList<VexaPromptRecipe> filterRecipes(const QList<VexaPromptRecipe> &recipes, const QString &category,
                                      const QString &query);
// The title of a recipe's group: starred when it is a favourite.
QString recipeTitle(const VexaPromptRecipe &recipe);
// What "Скопировать запрос" puts on the clipboard: the prompt followed by a place for the
// user's own details.
QString recipeCopyText(const VexaPromptRecipe &recipe);

// The pager. Pages start at 0; "forward" needs a loaded page that says there is more.
bool canPageBack(qint64 page, bool busy);
bool canPageForward(const std::optional<VexaSavedResponse> &loaded, bool busy);

} // namespace vexa::content
