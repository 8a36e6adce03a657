#pragma once

// Conversations: one message as shown (ChatEntry, also stored in code project files), chats as
// the service keeps them, and the reply envelope most endpoints answer with.

#include "decode.h"
#include "vexastate.h"

#include <QDateTime>
#include <QJsonObject>
#include <QUuid>

namespace vexa {

struct ChatEntry {
    enum class Role { User, Assistant };

    QUuid id;
    Role role = Role::User;
    QString text;
    QDateTime createdAt;             // UTC
    std::optional<QString> imageURL; // a web address or a data URL; may be set after creation

    // A new entry made on this device: fresh random id, now.
    static ChatEntry make(Role role, QString text, std::optional<QString> imageURL = std::nullopt);

    static QString roleName(Role role); // "user" / "assistant"
    static std::optional<Role> roleFromName(const QString &name);
};

// The stored form: {"id": "<UPPER-CASE UUID>", "role": "user", "text": "...",
// "createdAt": <seconds since 2001-01-01T00:00:00Z>, "imageURL": "..."}; "imageURL" omitted when
// there is none.
QJsonObject encodeChatEntry(const ChatEntry &entry);
records::Decoded<ChatEntry> decodeChatEntry(const QJsonObject &object);
QList<ChatEntry> decodeChatEntries(const QJsonArray &array, records::DecodeError *error = nullptr);

// The reference instant of stored times, and conversions to and from it.
QDateTime referenceDate();
double secondsSinceReferenceDate(const QDateTime &time);
QDateTime dateFromReferenceSeconds(double seconds);

struct VexaSharedMessage {
    QString role; // "user" for the user's messages; anything else is the assistant's
    QString text;
    std::optional<double> time; // milliseconds since 1970-01-01T00:00:00Z
    std::optional<QString> image_url;

    static auto schema()
    {
        return std::tuple{required("role", &VexaSharedMessage::role),
                          required("text", &VexaSharedMessage::text),
                          optional("time", &VexaSharedMessage::time),
                          optional("image_url", &VexaSharedMessage::image_url)};
    }

    // A fresh entry for display: new id every time, role user only for exactly "user", dated
    // by `time` (the 1970 epoch itself when absent).
    ChatEntry toEntry() const;
};

// The service is loose about chats: numeric ids, missing titles and broken message lists occur.
// Only an id that is neither a string nor an integer makes a chat unreadable.
struct VexaSharedChat {
    QString id;
    QString title;
    QList<VexaSharedMessage> messages;

    static auto schema();
};

struct VexaChatsResponse {
    bool ok = false;
    QList<VexaSharedChat> chats;
    std::optional<QString> activeChatID;

    static auto schema();
};

// A prompt template; only its well-formedness matters to the client.
struct VexaPrompt {
    QString id;
    QString title;
    QString category;
    QString prompt;
    QString kind;
    bool custom = false;

    static auto schema()
    {
        return std::tuple{required("id", &VexaPrompt::id), required("title", &VexaPrompt::title),
                          required("category", &VexaPrompt::category),
                          required("prompt", &VexaPrompt::prompt),
                          required("kind", &VexaPrompt::kind),
                          required("custom", &VexaPrompt::custom)};
    }
};

struct VexaResponse {
    bool ok = false;
    std::optional<QString> error;
    std::optional<QString> code;
    std::optional<QString> answer;
    std::optional<QString> imageURL;
    std::optional<QString> outputType;
    std::optional<QString> text;
    std::optional<QList<VexaPrompt>> templates;
    std::optional<VexaState> state;
    std::optional<QString> message;

    static auto schema()
    {
        return std::tuple{required("ok", &VexaResponse::ok),
                          optional("error", &VexaResponse::error),
                          optional("code", &VexaResponse::code),
                          optional("answer", &VexaResponse::answer),
                          optional("image_url", &VexaResponse::imageURL),
                          optional("output_type", &VexaResponse::outputType),
                          optional("text", &VexaResponse::text),
                          optional("templates", &VexaResponse::templates),
                          optional("state", &VexaResponse::state),
                          optional("message", &VexaResponse::message)};
    }
};

namespace records {
QString untitledChat();      // "Новый чат"
QList<VexaSharedMessage> noMessages();
QList<VexaSharedChat> noChats();
} // namespace records

inline auto VexaSharedChat::schema()
{
    using namespace records::field;
    using records::noMessages;
    using records::untitledChat;
    return std::tuple{identifier("id", &VexaSharedChat::id),
                      fallback("title", &VexaSharedChat::title, &untitledChat),
                      fallback("messages", &VexaSharedChat::messages, &noMessages)};
}

inline auto VexaChatsResponse::schema()
{
    using namespace records::field;
    return std::tuple{required("ok", &VexaChatsResponse::ok),
                      fallback("chats", &VexaChatsResponse::chats, &records::noChats),
                      optionalIdentifier("active_chat_id", &VexaChatsResponse::activeChatID)};
}

} // namespace vexa

// Every member is a Qt value or an optional of one, none of which points into itself: lists of
// them grow by moving bytes (a 1,000-chat reply appends 40,000 messages).
Q_DECLARE_TYPEINFO(vexa::VexaSharedMessage, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(vexa::VexaSharedChat, Q_RELOCATABLE_TYPE);
