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

bool readMessages(const QJsonValue &value, QList<ChatEntry> &out, records::DecodeError &e)
{
    if (!value.isArray()) {
        e.reason = value.isUndefined() || value.isNull() ? QStringLiteral("missing")
                                                         : QStringLiteral("expected an array");
        return false;
    }
    const QJsonArray array = value.toArray();
    records::DecodeError entryError;
    out = decodeChatEntries(array, &entryError);
    if (out.size() != array.size()) {
        e = entryError;
        return false;
    }
    return true;
}

struct StoredProject {
    QString id;
    QString name;
    std::optional<QString> conversationID;
    QList<ChatEntry> messages;
    double updatedAt = 0;

    static auto schema()
    {
        using records::field::custom;
        using records::field::optional;
        using records::field::required;
        return std::tuple{required("id", &StoredProject::id),
                          required("name", &StoredProject::name),
                          optional("conversationID", &StoredProject::conversationID),
                          custom("messages", &StoredProject::messages, &readMessages),
                          required("updatedAt", &StoredProject::updatedAt)};
    }
};

} // namespace

records::Decoded<CodeProject> decodeCodeProject(const QByteArray &bytes)
{
    auto stored = records::decodeJson<StoredProject>(bytes);
    if (!stored)
        return stored.error();
    // Only the hyphenated 36-character form, in either case.
    const QUuid id = QUuid::fromString(stored->id);
    if (stored->id.size() != 36 || id.isNull())
        return records::DecodeError{QStringLiteral("id"), QStringLiteral("expected a UUID")};
    return CodeProject{id, std::move(stored->name), std::move(stored->conversationID),
                       std::move(stored->messages), dateFromReferenceSeconds(stored->updatedAt)};
}

} // namespace vexa
