#include "savedanswersviewmodel.h"

#include "detachedtask.h"
#include "workspacerules.h"

#include <QVariantMap>

namespace vexa {

using namespace content;

namespace {

QString recipeCopiedNotice()
{
    return QStringLiteral("Запрос скопирован. Вставьте его в чат и добавьте свои вводные.");
}

} // namespace

SavedAnswersViewModel::SavedAnswersViewModel(QObject *parent)
    : SavedAnswersViewModel(VexaClient::shared(), chat::ChatPlatform::system(), parent)
{
}

SavedAnswersViewModel::SavedAnswersViewModel(VexaClient *client,
                                             std::shared_ptr<chat::ChatPlatform> platform,
                                             QObject *parent)
    : QObject(parent)
    , m_client(client)
    , m_platform(std::move(platform))
    , m_answerRows(new KeyedRowModel({"title", "content"}, this))
    , m_recipeRows(new KeyedRowModel({"title", "prompt", "hint", "isFavorite"}, this))
{
}

void SavedAnswersViewModel::setQuery(const QString &query)
{
    if (m_query == query)
        return;
    m_query = query;
    Q_EMIT queryChanged();
}

void SavedAnswersViewModel::showPage()
{
    QVariantList keys;
    QList<QVariantMap> rows;
    if (m_result) {
        for (const VexaSavedAnswer &answer : std::as_const(m_result->answers)) {
            keys.append(answer.id);
            rows.append({{QStringLiteral("title"), answer.title},
                         {QStringLiteral("content"), answer.content}});
        }
    }
    m_answerRows->setRows(keys, rows);
    Q_EMIT pageChanged();
}

QString SavedAnswersViewModel::usage() const
{
    if (!m_result)
        return QString();
    return QString::number(m_result->used) + QLatin1Char('/') + QString::number(m_result->capacity);
}

bool SavedAnswersViewModel::canPageBack() const
{
    return content::canPageBack(m_page, m_busy);
}

bool SavedAnswersViewModel::canPageForward() const
{
    return content::canPageForward(m_result, m_busy);
}

void SavedAnswersViewModel::setRecipeQuery(const QString &query)
{
    if (m_recipeQuery == query)
        return;
    m_recipeQuery = query;
    showRecipes();
}

void SavedAnswersViewModel::setCategory(const QString &category)
{
    if (m_category == category)
        return;
    m_category = category;
    showRecipes();
}

QVariantList SavedAnswersViewModel::categories() const
{
    QVariantList list;
    for (const RecipeCategory &category : recipeCategories())
        list.append(QVariantMap{{QStringLiteral("label"), category.label},
                                {QStringLiteral("tag"), category.tag}});
    return list;
}

// The filtered recipes, in place: typing a search or toggling a favourite keeps the groups
// that stay visible (open or closed, with the keyboard where it was).
void SavedAnswersViewModel::showRecipes()
{
    QVariantList keys;
    QList<QVariantMap> rows;
    for (const VexaPromptRecipe &recipe : filterRecipes(m_recipes, m_category, m_recipeQuery)) {
        keys.append(recipe.id);
        rows.append({{QStringLiteral("title"), recipeTitle(recipe)},
                     {QStringLiteral("prompt"), recipe.prompt},
                     {QStringLiteral("hint"), recipe.hint},
                     {QStringLiteral("isFavorite"), recipe.isFavorite.value_or(false)}});
    }
    m_recipeRows->setRows(keys, rows);
    Q_EMIT recipesChanged();
}

void SavedAnswersViewModel::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged();
    Q_EMIT pagerChanged();
}

void SavedAnswersViewModel::report(const ClientError &error)
{
    if (m_client)
        m_client->showNotice(describe(error));
}

void SavedAnswersViewModel::appear()
{
    if (m_appeared || !m_client)
        return;
    m_appeared = true;
    detach(runAppear());
}

QCoro::Task<> SavedAnswersViewModel::runAppear()
{
    QPointer<SavedAnswersViewModel> self(this);
    co_await loadPage(0, m_query);
    if (!self || !m_client)
        co_return;
    auto reply = co_await m_client->fetch<VexaRecipesResponse>(QString::fromUtf8("/api/workspace/recipes"));
    if (!self)
        co_return;
    if (!reply) {
        report(reply.error());
        co_return;
    }
    m_recipes = reply->recipes;
    showRecipes();
}

void SavedAnswersViewModel::search()
{
    detach(loadPage(0, m_query));
}

void SavedAnswersViewModel::nextPage()
{
    if (canPageForward())
        detach(loadPage(m_page + 1, m_submittedQuery));
}

void SavedAnswersViewModel::previousPage()
{
    if (canPageBack())
        detach(loadPage(m_page - 1, m_submittedQuery));
}

void SavedAnswersViewModel::reload()
{
    if (m_result)
        detach(loadPage(m_page, m_submittedQuery));
}

QCoro::Task<> SavedAnswersViewModel::loadPage(qint64 page, QString query)
{
    if (!m_client)
        co_return;
    if (m_busy) {
        m_queued = std::pair{page, query};
        co_return;
    }
    QPointer<SavedAnswersViewModel> self(this);
    setBusy(true);
    auto reply = co_await m_client->savedAnswers(page, query);
    if (!self)
        co_return;
    if (reply) {
        // The page and its search change together, and only with a page to show.
        m_result = std::move(reply).value();
        m_page = page;
        m_submittedQuery = query;
        showPage();
    } else {
        report(reply.error());
    }
    setBusy(false);
    if (m_queued) {
        auto [nextPage, nextQuery] = *std::exchange(m_queued, std::nullopt);
        co_await loadPage(nextPage, nextQuery);
    }
}

std::optional<VexaSavedAnswer> SavedAnswersViewModel::answerAt(int row) const
{
    if (!m_result || row < 0 || row >= m_result->answers.size())
        return std::nullopt;
    return m_result->answers.at(row);
}

std::optional<VexaPromptRecipe> SavedAnswersViewModel::recipeAt(int row) const
{
    const QList<VexaPromptRecipe> visible = filterRecipes(m_recipes, m_category, m_recipeQuery);
    if (row < 0 || row >= visible.size())
        return std::nullopt;
    return visible.at(row);
}

void SavedAnswersViewModel::copyAnswer(int row)
{
    if (const auto answer = answerAt(row))
        m_platform->copyText(answer->content);
}

void SavedAnswersViewModel::shareAnswerByMail(int row)
{
    if (const auto answer = answerAt(row))
        m_platform->openExternally(chat::mailUrl(answer->content));
}

void SavedAnswersViewModel::saveAnswerAs(int row, const QUrl &file)
{
    const auto answer = answerAt(row);
    if (!answer || !file.isLocalFile())
        return;
    if (const auto error = m_platform->saveText(file.toLocalFile(), answer->content); error && m_client)
        m_client->showNotice(*error);
}

void SavedAnswersViewModel::askDelete(int row)
{
    m_deleting = answerAt(row);
    Q_EMIT deletingChanged();
}

void SavedAnswersViewModel::cancelDelete()
{
    if (!m_deleting)
        return;
    m_deleting.reset();
    Q_EMIT deletingChanged();
}

void SavedAnswersViewModel::confirmDelete()
{
    if (!m_deleting || !m_client)
        return;
    const VexaSavedAnswer answer = *std::exchange(m_deleting, std::nullopt);
    Q_EMIT deletingChanged();
    detach(runDelete(answer));
}

QCoro::Task<> SavedAnswersViewModel::runDelete(VexaSavedAnswer answer)
{
    QPointer<SavedAnswersViewModel> self(this);
    const auto outcome = co_await m_client->deleteSavedAnswer(answer.id);
    if (!self)
        co_return;
    if (!outcome) {
        report(outcome.error());
        co_return;
    }
    co_await loadPage(0, m_submittedQuery);
}

void SavedAnswersViewModel::copyRecipe(int row)
{
    const auto recipe = recipeAt(row);
    if (!recipe)
        return;
    m_platform->copyText(recipeCopyText(*recipe));
    if (m_client)
        m_client->showNotice(recipeCopiedNotice());
}

void SavedAnswersViewModel::toggleFavorite(int row)
{
    if (m_pinning || !m_client)
        return;
    const auto recipe = recipeAt(row);
    if (!recipe)
        return;
    m_pinning = true;
    Q_EMIT pinningChanged();
    detach(runFavorite(*recipe));
}

QCoro::Task<> SavedAnswersViewModel::runFavorite(VexaPromptRecipe recipe)
{
    QPointer<SavedAnswersViewModel> self(this);
    auto reply = co_await m_client->favoriteRecipe(recipe);
    if (!self)
        co_return;
    if (reply) {
        m_recipes = std::move(reply).value();
        showRecipes();
    } else {
        report(reply.error());
    }
    m_pinning = false;
    Q_EMIT pinningChanged();
}

} // namespace vexa
