#pragma once

// The productivity sheet's rules, apart from its state: request paths, how a reply row is read
// in each section, and which of its actions a row offers.

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace vexa::utility {

// The sections, in menu order; each label is also the value compared.
QStringList modes();
inline QString searchMode() { return QStringLiteral("Поиск"); }
inline QString exportMode() { return QStringLiteral("Экспорт"); }
inline QString documentsMode() { return QStringLiteral("Документы"); }
inline QString remindersMode() { return QStringLiteral("Напоминания"); }
inline QString noticesMode() { return QStringLiteral("Уведомления"); }
// The reminder's time a fresh sheet offers.
inline QString defaultWhen() { return QStringLiteral("через 30 минут"); }

// A search needs at least this many characters (code points, white space around not counted).
inline constexpr int kMinimumQuery = 2;
bool isSearchable(const QString &query);

// The query percent-encoded as one URL query value: "&", "=", "+", "#" and "%" are encoded too.
QString encodeQueryValue(const QString &value);
QString searchPath(const QString &query);
// With an active chat, the export names it; without one it covers every chat.
QString exportPath(const QString &activeChatID);
// The GET path that lists a section; empty for a section that lists nothing (export).
QString listPath(const QString &mode);

// A number as the service's decimal identifier: integral values only, never with an exponent.
std::optional<QString> decimalID(const QJsonValue &value);
// A link from service data, kept only when its scheme is https and it names a host.
std::optional<QUrl> httpsLink(const QJsonValue &value);

// One reply row as the sheet shows it in a section.
struct UtilityRow {
    QString title;
    QString detail;
    std::optional<QString> chatID;     // search: the chat of the hit, decimal
    std::optional<qint64> documentID;  // documents: an integral id
    std::optional<QDateTime> due;      // reminders: when it fires
    QJsonValue reminderID = QJsonValue(QJsonValue::Undefined); // reminders: sent back as received
    std::optional<QString> noticeID;   // notices: a string id
    bool promo = false;                // notices: "kind" is "promo"
    std::optional<QUrl> link;          // notices: an https link

    // Only a reminder the service identified can be deleted; one without an id would be
    // deleted as "id" 0.
    bool canDelete() const { return due.has_value() && !reminderID.isUndefined() && !reminderID.isNull(); }
    bool operator==(const UtilityRow &) const = default;
};

// What names a row across reloads: the identifier the service gave it where the section has
// one, else what it shows. Rows of one reply that share a key are told apart by their order.
QString rowKey(const UtilityRow &row);

UtilityRow readRow(const QJsonObject &object, const QString &mode);
// The reply's "items" objects (an absent or mistyped member gives none; non-objects are skipped).
QList<QJsonObject> replyItems(const QJsonObject &reply);

} // namespace vexa::utility
