#pragma once

// One forum topic: its posts and, unless the topic is locked, the reply field. The topic is the
// row that was opened; the service's copy in the reply never replaces it.

#include "catalogrecords.h"
#include "communityrules.h"
#include "communityrowmodel.h"
#include "vexaclient.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

namespace vexa {

class TopicDetailViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(vexa::VexaClient *client READ client WRITE setClient NOTIFY clientChanged)
    // A topic row from CommunityViewModel.topicAt().
    Q_PROPERTY(QVariant topic READ topicValue WRITE setTopicValue NOTIFY topicChanged)
    Q_PROPERTY(QString title READ title NOTIFY topicChanged)
    Q_PROPERTY(bool acceptsReplies READ acceptsReplies NOTIFY topicChanged)
    Q_PROPERTY(vexa::CommunityRowModel *posts READ posts CONSTANT)
    Q_PROPERTY(QString postsMessage READ postsMessage NOTIFY postsChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(QString reply READ reply WRITE setReply NOTIFY replyChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY replyChanged)
    Q_PROPERTY(bool canReply READ canReply NOTIFY replyChanged)

public:
    explicit TopicDetailViewModel(QObject *parent = nullptr);

    VexaClient *client() const { return m_client.data(); }
    void setClient(VexaClient *client);
    const std::optional<VexaForumTopic> &topic() const { return m_topic; }
    void setTopic(const VexaForumTopic &topic);
    QVariant topicValue() const;
    void setTopicValue(const QVariant &value);
    QString title() const { return m_topic ? m_topic->title : QString(); }
    bool acceptsReplies() const;
    CommunityRowModel *posts() const { return m_postRows; }
    const QList<VexaForumPost> &postList() const { return m_posts; }
    QString postsMessage() const;
    bool loading() const { return m_loading; }
    QString reply() const { return m_reply; }
    void setReply(const QString &text);
    bool busy() const { return m_busy; }
    bool canReply() const;

    Q_INVOKABLE void reload();
    Q_INVOKABLE void sendReply();

    QCoro::Task<> load();
    QCoro::Task<> runReply();

Q_SIGNALS:
    void clientChanged();
    void topicChanged();
    void postsChanged();
    void loadingChanged();
    void replyChanged();

private:
    void setPosts(QList<VexaForumPost> posts, bool failed);
    void setLoading(bool value);
    void setBusy(bool value);

    QPointer<VexaClient> m_client;
    std::optional<VexaForumTopic> m_topic;
    CommunityRowModel *m_postRows;
    QList<VexaForumPost> m_posts;
    bool m_loaded = false;
    bool m_failed = false;
    quint64 m_loadTicket = 0; // only the latest load started may change the posts
    bool m_loading = false;
    QString m_reply;
    bool m_busy = false;
};

} // namespace vexa
