#pragma once

// The productivity data of the demo account: uploaded documents, Telegram reminders, in-app
// notices with their read marks and the notice preferences. History search and the Markdown
// export read the account's chats from ServiceState.
//
// Everything runs on the service's thread; there is no locking.

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vexa::service {

class ServiceState;

class Productivity
{
public:
    struct Document {
        qint64 id = 0;
        QString fileName;
        QString summary;
    };
    struct Reminder {
        qint64 id = 0;
        QString text;
        QDateTime due; // UTC
    };
    struct Notice {
        QString id;
        QString title;
        QString body;
        QString kind; // "news" or "promo"
        QString url;  // empty: no link
        bool read = false;
    };

    // Reminders are read in the account's time zone, Moscow time (UTC+3, no daylight saving).
    static constexpr int kAccountOffsetSeconds = 3 * 3600;

    explicit Productivity(QDateTime now = QDateTime::currentDateTimeUtc());

    // Messages of the chats whose text holds the query (case-insensitive), one item per message,
    // the chat's number in "chat_id". Chat ids "chat-<n>" are numbered n.
    static QJsonArray search(const ServiceState &state, const QString &query);
    // The chats named (by "chat-<n>" or n) or, with none named, every chat, as Markdown, and
    // the number of messages in it. Unknown ids are skipped.
    static std::pair<QString, qint64> exportMarkdown(const ServiceState &state,
                                                     const QStringList &chatIds);
    static std::optional<qint64> chatNumber(const QString &chatId);

    QJsonArray documentsJson() const;
    bool useDocument(qint64 id);
    std::optional<QString> usedDocument() const { return m_usedDocument; }

    QJsonArray remindersJson() const;
    // The moment a free-text time names ("через 30 минут", "через 2 часа", "завтра в 9:00",
    // "в 18:30", "18:30", "2026-12-24 10:00"), or nothing when it names none in the future.
    static std::optional<QDateTime> parseWhen(const QString &when, const QDateTime &nowUtc);
    const Reminder &addReminder(const QString &text, const QDateTime &due);
    bool removeReminder(qint64 id);

    // Unread notices; promotional ones only while promotions are wanted.
    QJsonArray noticesJson() const;
    bool markRead(const QString &id);
    QJsonObject preferencesJson() const;
    void setPreferences(bool news, bool promos);

private:
    QList<Document> m_documents;
    QList<Reminder> m_reminders;
    QList<Notice> m_notices;
    std::optional<QString> m_usedDocument;
    bool m_news = true;
    bool m_promos = false;
    qint64 m_nextId = 500;
};

} // namespace vexa::service
