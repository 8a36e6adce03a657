#include "workspacerules.h"

#include <QLocale>

namespace vexa::content {

bool hasVisibleText(const QString &text)
{
    // Line breaks count as white space too: a fact, a name or a question of empty lines says
    // nothing, and the service would store or bill it all the same.
    return !text.trimmed().isEmpty();
}

bool featureAllows(const std::optional<VexaState> &state, std::optional<bool> VexaFeatures::*flag)
{
    if (!state || !state->features)
        return true;
    return ((*state->features).*flag).value_or(true);
}

QList<RecipeCategory> recipeCategories()
{
    return {
        {QStringLiteral("Все"), QStringLiteral("all")},
        {QStringLiteral("⭐ Избранное"), QStringLiteral("favorites")},
        {QStringLiteral("✍️ Тексты"), QStringLiteral("writing")},
        {QStringLiteral("💼 Работа"), QStringLiteral("work")},
        {QStringLiteral("📚 Учёба"), QStringLiteral("study")},
        {QStringLiteral("💻 Код"), QStringLiteral("code")},
    };
}

namespace {

bool inCategory(const VexaPromptRecipe &recipe, const QString &category)
{
    if (category == QLatin1String("all"))
        return true;
    if (category == QLatin1String("favorites"))
        return recipe.isFavorite.value_or(false);
    return recipe.category && *recipe.category == category;
}

} // namespace

QList<VexaPromptRecipe> filterRecipes(const QList<VexaPromptRecipe> &recipes, const QString &category,
                                      const QString &query)
{
    const QLocale locale;
    const QString needle = locale.toLower(query);
    QList<VexaPromptRecipe> visible;
    for (const VexaPromptRecipe &recipe : recipes) {
        if (!inCategory(recipe, category))
            continue;
        if (!query.isEmpty()) {
            const QString haystack = locale.toLower(recipe.title + QLatin1Char(' ') + recipe.hint
                                                    + QLatin1Char(' ') + recipe.prompt);
            if (!haystack.contains(needle))
                continue;
        }
        visible.append(recipe);
    }
    return visible;
}

QString recipeTitle(const VexaPromptRecipe &recipe)
{
    return recipe.isFavorite.value_or(false) ? QStringLiteral("⭐ ") + recipe.title : recipe.title;
}

QString recipeCopyText(const VexaPromptRecipe &recipe)
{
    return recipe.prompt + QStringLiteral("\n\nВводные пользователя:\n");
}

bool canPageBack(qint64 page, bool busy)
{
    return page > 0 && !busy;
}

bool canPageForward(const std::optional<VexaSavedResponse> &loaded, bool busy)
{
    return loaded && loaded->hasMore && !busy;
}

} // namespace vexa::content
