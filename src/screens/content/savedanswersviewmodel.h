#pragma once

// The saved-answers card: one page of the collection shared with the bot (search, pager,
// copy, share, delete) and the prompt recipe library (category, search, copy, favourite).
//
// Paging keeps to the search that was last submitted, whatever the field holds now, and the
// page number moves only when the new page arrived.

#include "catalogrecords.h"
#include "chatplatform.h"
#include "keyedrowmodel.h"
#include "vexaclient.h"

#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

namespace vexa {

class SavedAnswersViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(qint64 page READ page NOTIFY pageChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(bool loaded READ loaded NOTIFY pageChanged)
    // Rows of the loaded page keyed by the answer's id: "title", "content".
    Q_PROPERTY(vexa::KeyedRowModel *answers READ answers CONSTANT)
    Q_PROPERTY(QString usage READ usage NOTIFY pageChanged)
    Q_PROPERTY(bool isEmpty READ isEmpty NOTIFY pageChanged)
    Q_PROPERTY(bool canPageBack READ canPageBack NOTIFY pagerChanged)
    Q_PROPERTY(bool canPageForward READ canPageForward NOTIFY pagerChanged)
    Q_PROPERTY(QString deletingTitle READ deletingTitle NOTIFY deletingChanged)
    Q_PROPERTY(bool hasDeleting READ hasDeleting NOTIFY deletingChanged)
    Q_PROPERTY(QString recipeQuery READ recipeQuery WRITE setRecipeQuery NOTIFY recipesChanged)
    Q_PROPERTY(QString category READ category WRITE setCategory NOTIFY recipesChanged)
    Q_PROPERTY(QVariantList categories READ categories CONSTANT)
    // The visible recipes keyed by the recipe's id: "title", "prompt", "hint", "isFavorite".
    Q_PROPERTY(vexa::KeyedRowModel *recipes READ recipes CONSTANT)
    Q_PROPERTY(bool pinning READ pinning NOTIFY pinningChanged)

public:
    explicit SavedAnswersViewModel(QObject *parent = nullptr);
    SavedAnswersViewModel(VexaClient *client, std::shared_ptr<chat::ChatPlatform> platform,
                          QObject *parent = nullptr);

    void setPlatform(std::shared_ptr<chat::ChatPlatform> platform) { m_platform = std::move(platform); }

    QString query() const { return m_query; }
    void setQuery(const QString &query);
    qint64 page() const { return m_page; }
    bool busy() const { return m_busy; }
    bool loaded() const { return m_result.has_value(); }
    KeyedRowModel *answers() const { return m_answerRows; }
    QString usage() const;
    bool isEmpty() const { return m_result && m_result->answers.isEmpty(); }
    bool canPageBack() const;
    bool canPageForward() const;
    QString deletingTitle() const { return m_deleting ? m_deleting->title : QString(); }
    bool hasDeleting() const { return m_deleting.has_value(); }
    QString recipeQuery() const { return m_recipeQuery; }
    void setRecipeQuery(const QString &query);
    QString category() const { return m_category; }
    void setCategory(const QString &category);
    QVariantList categories() const;
    KeyedRowModel *recipes() const { return m_recipeRows; }
    bool pinning() const { return m_pinning; }

    const std::optional<VexaSavedResponse> &result() const { return m_result; }
    const QList<VexaPromptRecipe> &allRecipes() const { return m_recipes; }

    // The card came on screen: the first page, then the recipes (once).
    Q_INVOKABLE void appear();
    // The search field was submitted: page 0 of what it holds now.
    Q_INVOKABLE void search();
    Q_INVOKABLE void nextPage();
    Q_INVOKABLE void previousPage();
    // F5: the page shown, again.
    Q_INVOKABLE void reload();

    Q_INVOKABLE void copyAnswer(int row);
    Q_INVOKABLE void shareAnswerByMail(int row);
    // Writes the answer's text to the chosen file (UTF-8); a failure goes to the notice.
    Q_INVOKABLE void saveAnswerAs(int row, const QUrl &file);
    Q_INVOKABLE void askDelete(int row);
    Q_INVOKABLE void cancelDelete();
    Q_INVOKABLE void confirmDelete();

    // Rows of the visible (filtered) recipes.
    Q_INVOKABLE void copyRecipe(int row);
    Q_INVOKABLE void toggleFavorite(int row);

Q_SIGNALS:
    void queryChanged();
    void pageChanged();
    void busyChanged();
    void pagerChanged();
    void deletingChanged();
    void recipesChanged();
    void pinningChanged();

private:
    // Loads a page; while one is loading, the latest request waits its turn.
    QCoro::Task<> loadPage(qint64 page, QString query);
    QCoro::Task<> runAppear();
    QCoro::Task<> runDelete(VexaSavedAnswer answer);
    QCoro::Task<> runFavorite(VexaPromptRecipe recipe);
    void setBusy(bool busy);
    std::optional<VexaSavedAnswer> answerAt(int row) const;
    std::optional<VexaPromptRecipe> recipeAt(int row) const;
    void report(const ClientError &error);
    void showPage();
    void showRecipes();

    QPointer<VexaClient> m_client;
    std::shared_ptr<chat::ChatPlatform> m_platform;
    QString m_query;
    QString m_submittedQuery; // what the shown page was searched for; paging keeps it
    qint64 m_page = 0;
    bool m_busy = false;
    bool m_appeared = false;
    std::optional<std::pair<qint64, QString>> m_queued;
    std::optional<VexaSavedResponse> m_result;
    std::optional<VexaSavedAnswer> m_deleting;
    QList<VexaPromptRecipe> m_recipes;
    QString m_recipeQuery;
    QString m_category = QStringLiteral("all");
    bool m_pinning = false;
    KeyedRowModel *m_answerRows;
    KeyedRowModel *m_recipeRows;
};

} // namespace vexa
