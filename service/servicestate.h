#pragma once

// The account data of the local service: one demo account with its models, limits, statistics,
// memories, projects, actions and chats. Endpoints read and change these members; the replies
// (/api/state, /api/chats, ...) are built from them each time, so a change shows up everywhere.
//
// Everything runs on the service's (main) thread; there is no locking.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

namespace vexa::service {

struct ChatModel {
    QString id;
    QString title;
    QString description; // empty: the key is left out (it is optional)
    bool isAvailable = true;
};

struct ImageModel {
    QString id;
    QString title;
    QString outputType = QStringLiteral("image"); // "image" or "text"
};

struct Memory {
    qint64 id = 0;
    QString content;
    QString source;    // optional
    QString createdAt; // optional, a date text shown as sent
};

struct Project {
    qint64 id = 0;
    QString name;
    QString description; // optional
    QString updatedAt;   // optional
};

struct Action {
    qint64 id = 0;
    QString title;
    QString description; // optional
    QString instruction; // optional
};

struct ChatMessage {
    QString role; // "user" or "assistant"
    QString text;
    std::optional<qint64> timeMs; // ms since the epoch; absent: no "time" key
    QJsonValue imageUrl = QJsonValue(QJsonValue::Undefined); // undefined: no key; null; or a string
};

struct Chat {
    QString id;
    QString title;
    QList<ChatMessage> messages;
};

class ServiceState
{
public:
    // The demo account with its demo chats.
    ServiceState();

    // --- account ---
    qint64 userId = 424242;
    QString username;
    QString firstName;

    QString planId;
    QString planTitle;
    QString planExpiresLabel;

    QString model; // selected chat model id
    QList<ChatModel> models;
    bool modelLocked = false;

    struct Limits {
        qint64 minute = 0, day = 0, week = 0, usedDay = 0, bonusRequests = 0, imageCredits = 0;
    } limits;
    struct ProviderLimits {
        qint64 day = 0, week = 0, usedDay = 0, usedWeek = 0;
    } funpayLimits;

    qint64 statMessages = 0;
    qint64 statImages = 0;
    qint64 currentStreak = 0;

    bool canGenerateImages = true;
    QList<ImageModel> imageModels;
    QString imageModel; // selected image model id
    bool imageModelLocked = false;

    QList<Memory> memories;
    QList<Project> projects;
    QList<Action> actions;

    QString referralLink;
    bool dailyBonusClaimed = false;
    qint64 dailyBonusAmount = 0;

    struct Features {
        bool longMemory = true, projects = true, actions = true, webSearch = true;
    } features;
    struct Settings {
        QString mode, responseLength, creativity, language;
    } settings;

    // --- chats, most recent first (the service's order) ---
    QList<Chat> chats;
    QString activeChatId;

    // --- replies ---
    // "/api/settings/update" may leave the state out of its answer: false applies the change
    // and answers {"ok":true} only.
    bool settingsReplyCarriesState = true;
    QJsonObject toJson() const;       // VexaState
    QJsonObject chatsJson() const;    // VexaChatsResponse, with "ok": true
    static QJsonObject chatJson(const Chat &chat);
    static QJsonObject messageJson(const ChatMessage &message);

    // --- lookups and small helpers for the endpoints ---
    Chat *findChat(const QString &id);
    const Chat *findChat(const QString &id) const;
    const ChatModel *findModel(const QString &id) const;
    const ImageModel *findImageModel(const QString &id) const;
    QString imageOutputType() const; // of the selected image model ("image" when unknown)
    QString newChatId();             // "chat-<n>", unused so far
    qint64 nextItemId();             // fresh id for memories, projects, actions, ...

    // A small PNG picture as a data URL ("data:image/png;base64,..."), drawn from a seed.
    static QString demoImageDataUrl(int seed, int size = 96);

private:
    qint64 m_nextChatNumber = 100;
    qint64 m_nextItemId = 1000;
};

} // namespace vexa::service
