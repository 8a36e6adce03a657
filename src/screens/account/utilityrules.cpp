#include "utilityrules.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace vexa::utility {

namespace {

std::optional<QString> stringMember(const QJsonObject &object, const char *name)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

QStringList modes()
{
    return {searchMode(), exportMode(), documentsMode(), remindersMode(), noticesMode()};
}

bool isSearchable(const QString &query)
{
    return query.trimmed().toUcs4().size() >= kMinimumQuery;
}

QString encodeQueryValue(const QString &value)
{
    // Only unreserved characters stay; everything with a meaning in a query is encoded.
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

QString searchPath(const QString &query)
{
    return QStringLiteral("/api/productivity/search?q=") + encodeQueryValue(query);
}

QString exportPath(const QString &activeChatID)
{
    QString path = QStringLiteral("/api/productivity/export");
    if (!activeChatID.isEmpty())
        path += QStringLiteral("?chat_ids=") + encodeQueryValue(activeChatID);
    return path;
}

QString listPath(const QString &mode)
{
    if (mode == documentsMode())
        return QStringLiteral("/api/productivity/documents");
    if (mode == remindersMode())
        return QStringLiteral("/api/productivity/reminders");
    if (mode == noticesMode())
        return QStringLiteral("/api/notices");
    return QString();
}

std::optional<QString> decimalID(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    // Qt keeps integral JSON numbers that fit as 64-bit integers.
    const qint64 sentinel = std::numeric_limits<qint64>::min();
    const qint64 integer = value.toInteger(sentinel);
    if (integer != sentinel)
        return QString::number(integer);
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::trunc(number) != number)
        return std::nullopt;
    return QString::number(number, 'f', 0);
}

std::optional<QUrl> httpsLink(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    const QUrl url(value.toString(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty())
        return std::nullopt;
    return url;
}

UtilityRow readRow(const QJsonObject &object, const QString &mode)
{
    UtilityRow row;
    row.title = stringMember(object, "title")
                    .value_or(stringMember(object, "file_name")
                                  .value_or(stringMember(object, "reminder_text")
                                                .value_or(QStringLiteral("Vexa AI"))));
    row.detail = stringMember(object, "snippet").value_or(stringMember(object, "body").value_or(QString()));
    const QJsonValue id = object.value(QLatin1String("id"));
    if (mode == searchMode()) {
        row.chatID = decimalID(object.value(QLatin1String("chat_id")));
    } else if (mode == documentsMode()) {
        if (const auto text = decimalID(id)) {
            bool ok = false;
            const qint64 number = text->toLongLong(&ok);
            if (ok)
                row.documentID = number;
        }
    } else if (mode == remindersMode()) {
        const QJsonValue due = object.value(QLatin1String("due_at"));
        if (due.isDouble() && std::isfinite(due.toDouble()))
            row.due = QDateTime::fromMSecsSinceEpoch(qint64(std::llround(due.toDouble() * 1000)),
                                                     Qt::UTC);
        row.reminderID = id;
    } else if (mode == noticesMode()) {
        if (id.isString()) {
            row.noticeID = id.toString();
            row.promo = object.value(QLatin1String("kind")).toString() == QLatin1String("promo");
            row.link = httpsLink(object.value(QLatin1String("url")));
        }
    }
    return row;
}

QString rowKey(const UtilityRow &row)
{
    if (row.documentID)
        return QStringLiteral("document:") + QString::number(*row.documentID);
    if (row.noticeID)
        return QStringLiteral("notice:") + *row.noticeID;
    if (!row.reminderID.isUndefined() && !row.reminderID.isNull()) {
        // Sent back as received, so any JSON value may name a reminder.
        const QJsonArray wrapped{row.reminderID};
        return QStringLiteral("reminder:")
            + QString::fromUtf8(QJsonDocument(wrapped).toJson(QJsonDocument::Compact));
    }
    return QStringLiteral("row:") + row.chatID.value_or(QString()) + QLatin1Char('\n') + row.title
        + QLatin1Char('\n') + row.detail;
}

QList<QJsonObject> replyItems(const QJsonObject &reply)
{
    QList<QJsonObject> items;
    const QJsonValue value = reply.value(QLatin1String("items"));
    if (!value.isArray())
        return items;
    for (const QJsonValue &item : value.toArray()) {
        if (item.isObject())
            items.append(item.toObject());
    }
    return items;
}

} // namespace vexa::utility
