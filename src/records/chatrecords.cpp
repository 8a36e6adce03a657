#include "chatrecords.h"

#include <QJsonArray>

#include <cmath>
#include <QTimeZone>

namespace vexa {

namespace {
const QString kUser = QStringLiteral("user");
const QString kAssistant = QStringLiteral("assistant");
} // namespace

ChatEntry ChatEntry::make(Role role, QString text, std::optional<QString> imageURL)
{
    return ChatEntry{QUuid::createUuid(), role, std::move(text), QDateTime::currentDateTimeUtc(),
                     std::move(imageURL)};
}

QString ChatEntry::roleName(Role role)
{
    return role == Role::User ? kUser : kAssistant;
}

std::optional<ChatEntry::Role> ChatEntry::roleFromName(const QString &name)
{
    if (name == kUser)
        return Role::User;
    if (name == kAssistant)
        return Role::Assistant;
    return std::nullopt;
}

QDateTime referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return date;
}

double secondsSinceReferenceDate(const QDateTime &time)
{
    return double(referenceDate().msecsTo(time)) / 1000.0;
}

namespace {
// Times beyond ±100 million days from the epoch cannot be dates; such a value is treated as the
// base instant itself rather than overflowing the conversion.
constexpr double kMaxMsecs = 8.64e15;

qint64 clampedMsecs(double msecs)
{
    return std::isfinite(msecs) && std::abs(msecs) <= kMaxMsecs ? qint64(std::llround(msecs)) : 0;
}
} // namespace

QDateTime dateFromReferenceSeconds(double seconds)
{
    return referenceDate().addMSecs(clampedMsecs(seconds * 1000.0));
}

QJsonObject encodeChatEntry(const ChatEntry &entry)
{
    QJsonObject object{
        {QStringLiteral("id"), entry.id.toString(QUuid::WithoutBraces).toUpper()},
        {QStringLiteral("role"), ChatEntry::roleName(entry.role)},
        {QStringLiteral("text"), entry.text},
        {QStringLiteral("createdAt"), secondsSinceReferenceDate(entry.createdAt)},
    };
    if (entry.imageURL)
        object.insert(QStringLiteral("imageURL"), *entry.imageURL);
    return object;
}

namespace {

// The stored form, read with the same engine as the service's records.
struct StoredEntry {
    QString id;
    QString role;
    QString text;
    double createdAt = 0;
    std::optional<QString> imageURL;

    static auto schema()
    {
        using records::field::optional;
        using records::field::required;
        return std::tuple{required("id", &StoredEntry::id), required("role", &StoredEntry::role),
                          required("text", &StoredEntry::text),
                          required("createdAt", &StoredEntry::createdAt),
                          optional("imageURL", &StoredEntry::imageURL)};
    }
};

// Canonical 8-4-4-4-12 text only (either case), as written by encodeChatEntry.
std::optional<QUuid> parseCanonicalUuid(const QString &text)
{
    if (text.size() != 36)
        return std::nullopt;
    const QUuid uuid = QUuid::fromString(text);
    if (uuid.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return uuid;
}

} // namespace

records::Decoded<ChatEntry> decodeChatEntry(const QJsonObject &object)
{
    auto stored = records::decodeObject<StoredEntry>(object);
    if (!stored)
        return stored.error();
    const auto uuid = parseCanonicalUuid(stored->id);
    if (!uuid)
        return records::DecodeError{QStringLiteral("id"), QStringLiteral("expected a UUID")};
    const auto role = ChatEntry::roleFromName(stored->role);
    if (!role)
        return records::DecodeError{QStringLiteral("role"), QStringLiteral("expected \"user\" or \"assistant\"")};
    return ChatEntry{*uuid, *role, std::move(stored->text),
                     dateFromReferenceSeconds(stored->createdAt), std::move(stored->imageURL)};
}

QList<ChatEntry> decodeChatEntries(const QJsonArray &array, records::DecodeError *error)
{
    QList<ChatEntry> entries;
    entries.reserve(array.size());
    qsizetype index = 0;
    for (const QJsonValueConstRef item : array) {
        auto entry = item.isObject() ? decodeChatEntry(item.toObject())
                                     : records::Decoded<ChatEntry>(records::DecodeError{
                                           QString(), QStringLiteral("expected an object")});
        if (!entry) {
            if (error) {
                *error = entry.error();
                error->prependIndex(index);
            }
            return {};
        }
        entries.append(std::move(entry).value());
        ++index;
    }
    return entries;
}

ChatEntry VexaSharedMessage::toEntry() const
{
    static const QDateTime epoch = QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
    const QDateTime created = time ? epoch.addMSecs(clampedMsecs(*time)) : epoch;
    return ChatEntry{QUuid::createUuid(),
                     role == kUser ? ChatEntry::Role::User : ChatEntry::Role::Assistant, text,
                     created, image_url};
}

namespace records {

QString untitledChat()
{
    return QStringLiteral("Новый чат");
}

QList<VexaSharedMessage> noMessages()
{
    return {};
}

QList<VexaSharedChat> noChats()
{
    return {};
}

} // namespace records
} // namespace vexa
