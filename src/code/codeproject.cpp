#include "codeproject.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vexa {

CodeProject CodeProject::make(QString name)
{
    return CodeProject{QUuid::createUuid(), std::move(name), std::nullopt, {},
                       QDateTime::currentDateTimeUtc()};
}

QString canonicalUuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QByteArray encodeCodeProject(const CodeProject &project)
{
    QJsonArray messages;
    for (const ChatEntry &entry : project.messages)
        messages.append(encodeChatEntry(entry));

    QJsonObject object;
    object.insert(QStringLiteral("id"), canonicalUuidText(project.id));
    object.insert(QStringLiteral("name"), project.name);
    if (project.conversationID)
        object.insert(QStringLiteral("conversationID"), *project.conversationID);
    object.insert(QStringLiteral("messages"), messages);
    object.insert(QStringLiteral("updatedAt"), secondsSinceReferenceDate(project.updatedAt));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

namespace {

// The members read by the shared decoding rules; "messages" is read by the entry decoder.
struct StoredProject {
    QString id;
    QString name;
    std::optional<QString> conversationID;
    double updatedAt = 0;

    static auto schema()
    {
        using records::field::optional;
        using records::field::required;
        return std::tuple{required("id", &StoredProject::id),
                          required("name", &StoredProject::name),
                          optional("conversationID", &StoredProject::conversationID),
                          required("updatedAt", &StoredProject::updatedAt)};
    }
};

records::Decoded<QList<ChatEntry>> readMessages(const QJsonValue &value)
{
    if (!value.isArray()) {
        const bool missing = value.isUndefined() || value.isNull();
        return records::DecodeError{QStringLiteral("messages"),
                                    missing ? QStringLiteral("missing")
                                            : QStringLiteral("expected an array")};
    }
    const QJsonArray array = value.toArray();
    records::DecodeError error;
    QList<ChatEntry> entries = decodeChatEntries(array, &error);
    if (entries.size() != array.size()) {
        error.prependKey(QLatin1StringView("messages"));
        return error;
    }
    return entries;
}

} // namespace

records::Decoded<CodeProject> decodeCodeProject(const QByteArray &bytes)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return records::DecodeError{QString(), QStringLiteral("not a JSON object")};
    const QJsonObject object = document.object();
    auto stored = records::decodeObject<StoredProject>(object);
    if (!stored)
        return stored.error();
    auto messages = readMessages(object.value(QLatin1StringView("messages")));
    if (!messages)
        return messages.error();
    // Only the hyphenated 36-character form, in either case.
    const QUuid id = QUuid::fromString(stored->id);
    if (stored->id.size() != 36 || id.isNull())
        return records::DecodeError{QStringLiteral("id"), QStringLiteral("expected a UUID")};
    return CodeProject{id, std::move(stored->name), std::move(stored->conversationID),
                       std::move(messages).value(), dateFromReferenceSeconds(stored->updatedAt)};
}

} // namespace vexa
