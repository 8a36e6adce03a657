#pragma once

// The assistant characters of the local service and the composed answers of its web search and
// saved actions. Characters live here rather than in ServiceState: only their own routes use them.

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace vexa::service {

struct Character {
    QString id;
    QString name;
    QString emoji;    // optional
    QString story;    // optional
    QString manner;   // optional
    bool unlocked = true;
    QString buyUrl;   // optional: where a locked character is bought (the Telegram bot)
    // How its portrait is served: none, at a public address, or only with the session cookie.
    enum class Portrait { None, Public, Session } portrait = Portrait::None;
};

class CharacterCatalog
{
public:
    CharacterCatalog();

    QList<Character> characters;
    QString activeId; // empty: no character

    const Character *find(const QString &id) const;
    // {"ok":true,"characters":[...]}; portrait addresses are absolute under `origin`.
    QJsonObject toJson(const QString &origin) const;
    // The portrait as PNG (drawn once per character, the same in every run).
    QByteArray portraitPng(const Character &character);

    static QString publicPortraitPath(const QString &id);  // "/portraits/<id>"
    static QString sessionPortraitPath(const QString &id); // "/api/characters/<id>/portrait"

private:
    QHash<QString, QByteArray> m_portraits;
};

// The search answer for a question: a short summary with numbered sources.
QString composeSearchAnswer(const QString &query);
// What a saved action makes of the input: the instruction picks the treatment (summary,
// spelling, letter); anything else gets a tidy restatement.
QString composeActionAnswer(const QString &instruction, const QString &input);

} // namespace vexa::service
