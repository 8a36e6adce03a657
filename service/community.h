#pragma once

// The community groups and the forum of the local service: a few groups (some joined), their
// posts with likes and anonymous ones, and forum topics with replies, one of them locked.
// Everything written through the endpoints stays for the service's lifetime.

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace vexa::service {

struct CommunityPost {
    qint64 id = 0;
    QString content;
    QString username;  // empty: the key is left out
    QString firstName; // empty: the key is left out
    int anonymous = 0; // sent as the integer "is_anonymous"
    qint64 likes = 0;
    QString createdAt;
};

struct CommunityGroup {
    qint64 id = 0;
    QString name;        // empty: the key is left out
    QString title;       // empty: the key is left out (the client then shows the name)
    QString description; // empty: the key is left out
    qint64 members = 0;
    bool member = false;
    QString type;
    QList<CommunityPost> posts; // newest first
};

struct ForumPost {
    qint64 id = 0;
    QString body;
    QString author;
    QString createdAt;
};

struct ForumTopic {
    qint64 id = 0;
    QString title;
    bool locked = false;
    QString updatedAt;
    QList<ForumPost> posts; // oldest first
};

class Community
{
public:
    Community(); // the demo groups and topics

    QJsonObject groupsJson() const;                    // {"ok", "communities"}
    std::optional<QJsonObject> groupJson(qint64 id) const; // {"ok", "community", "posts"}
    // False when there is no such group.
    bool setMember(qint64 id, bool member);
    enum class PostResult { Posted, NoGroup, NotMember };
    PostResult post(qint64 groupId, const QString &content, bool anonymous,
                    const QString &username, const QString &firstName);
    bool like(qint64 postId);

    QJsonObject topicsJson() const; // {"ok", "topics"}, the latest change first
    std::optional<QJsonObject> topicJson(qint64 id) const; // {"ok", "topic", "posts"}
    qint64 createTopic(const QString &title, const QString &body, const QString &author);
    enum class ReplyResult { Replied, NoTopic, Locked };
    ReplyResult reply(qint64 topicId, const QString &body, const QString &author);

    // Dates as the service formats them for display, e.g. "7 дек. 2026, 14:05".
    static QString displayDate(const QDateTime &time);

private:
    CommunityGroup *group(qint64 id);
    ForumTopic *topic(qint64 id);

    QList<CommunityGroup> m_groups;
    QList<ForumTopic> m_topics;
    qint64 m_nextPostId = 1000;
    qint64 m_nextTopicId = 100;
};

} // namespace vexa::service
