#pragma once

// The workspace's own data on the local service: the saved-answers collection shared with the
// bot, and the library of prompt recipes with the user's favourites.

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace vexa::service {

struct SavedAnswer {
    qint64 id = 0;
    QString title;
    QString content;
};

struct Recipe {
    QString id;
    QString title;
    QString prompt;
    QString hint;
    QString category; // "writing", "work", "study" or "code"
    bool favorite = false;
};

class Workspace
{
public:
    static constexpr int kPageSize = 5;
    static constexpr qint64 kCapacity = 50;

    Workspace(); // a few demo answers and the sixteen recipes

    // One page (the first is 0) of the answers whose title or content contains `query`
    // (case-insensitive), newest first: {"ok", "answers", "used", "capacity", "has_more"}.
    QJsonObject page(qint64 page, const QString &query) const;
    // Saves a new answer on top; nothing when the collection is full.
    std::optional<SavedAnswer> save(const QString &content);
    bool remove(qint64 id);
    qint64 used() const { return m_answers.size(); }

    QJsonObject recipesJson() const; // {"ok": true, "recipes": [...]}
    bool setFavorite(const QString &id, bool enabled);

    // The title a saved answer gets: its first meaningful line without Markdown marks.
    static QString titleFor(const QString &content);

private:
    QList<SavedAnswer> m_answers; // newest first
    QList<Recipe> m_recipes;
    qint64 m_nextId = 1;
};

} // namespace vexa::service
