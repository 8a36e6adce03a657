#pragma once

// One forum topic: its posts and, unless the topic is locked, the reply field. The topic is the
// row that was opened; the service's copy in the reply never replaces it.

#include "catalogrecords.h"
#include "communitydetailbase.h"
#include "communityrules.h"

#include <QVariant>
#include <QtQml/qqmlregistration.h>

namespace vexa {

class TopicDetailViewModel : public CommunityDetailBase
{
    Q_OBJECT
    QML_ELEMENT
    // A topic row from CommunityViewModel.topicAt().
    Q_PROPERTY(QVariant topic READ topicValue WRITE setTopicValue NOTIFY topicChanged)
    Q_PROPERTY(QString title READ title NOTIFY topicChanged)
    Q_PROPERTY(bool acceptsReplies READ acceptsReplies NOTIFY topicChanged)
    Q_PROPERTY(QString reply READ reply WRITE setReply NOTIFY replyChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY replyChanged)
    Q_PROPERTY(bool canReply READ canReply NOTIFY replyChanged)

public:
    explicit TopicDetailViewModel(QObject *parent = nullptr);

    const std::optional<VexaForumTopic> &topic() const { return m_topic; }
    void setTopic(const VexaForumTopic &topic);
    QVariant topicValue() const;
    void setTopicValue(const QVariant &value);
    QString title() const { return m_topic ? m_topic->title : QString(); }
    bool acceptsReplies() const;
    const QList<VexaForumPost> &postList() const { return m_posts; }
    QString reply() const { return m_reply; }
    void setReply(const QString &text);
    bool busy() const { return m_busy; }
    bool canReply() const;

    Q_INVOKABLE void sendReply();

    QCoro::Task<> load() override;
    QCoro::Task<> runReply();

Q_SIGNALS:
    void topicChanged();
    void replyChanged();

private:
    void setPosts(QList<VexaForumPost> posts, bool failed);
    void setBusy(bool value);

    std::optional<VexaForumTopic> m_topic;
    QList<VexaForumPost> m_posts;
    QString m_reply;
    bool m_busy = false;
};

} // namespace vexa
