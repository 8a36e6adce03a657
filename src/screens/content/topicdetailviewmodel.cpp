#include "topicdetailviewmodel.h"

#include "communityrules.h"
#include "detachedtask.h"

namespace vexa {

namespace {

QJsonObject replyBody(const QString &text)
{
    return QJsonObject{{QStringLiteral("body"), text}};
}

} // namespace

TopicDetailViewModel::TopicDetailViewModel(QObject *parent)
    : CommunityDetailBase({"author", "body", "date", "spoken"}, parent)
{
}

void TopicDetailViewModel::setTopic(const VexaForumTopic &topic)
{
    m_topic = topic;
    Q_EMIT topicChanged();
    Q_EMIT replyChanged();
}

QVariant TopicDetailViewModel::topicValue() const
{
    return m_topic ? QVariant::fromValue(*m_topic) : QVariant();
}

void TopicDetailViewModel::setTopicValue(const QVariant &value)
{
    if (value.canConvert<VexaForumTopic>())
        setTopic(value.value<VexaForumTopic>());
}

bool TopicDetailViewModel::acceptsReplies() const
{
    return m_topic && community::acceptsReplies(*m_topic);
}

void TopicDetailViewModel::setReply(const QString &text)
{
    if (m_reply == text)
        return;
    m_reply = text;
    Q_EMIT replyChanged();
}

bool TopicDetailViewModel::canReply() const
{
    return acceptsReplies() && !m_busy && community::hasText(m_reply);
}

void TopicDetailViewModel::sendReply()
{
    if (canReply())
        detach(runReply());
}

QCoro::Task<> TopicDetailViewModel::load()
{
    QPointer<TopicDetailViewModel> self(this);
    if (!m_topic)
        co_return;
    const auto reply = co_await fetchLatest<ForumTopicResponse>(community::topicPath(m_topic->id));
    if (!self || !reply)
        co_return;
    setPosts(reply->posts.value_or(QList<VexaForumPost>()), !reply->ok);
}

QCoro::Task<> TopicDetailViewModel::runReply()
{
    QPointer<TopicDetailViewModel> self(this);
    if (!client() || !canReply())
        co_return;
    const QString text = m_reply;
    setBusy(true);
    const bool sent = co_await change(community::topicReplyPath(m_topic->id), replyBody(text));
    if (!self)
        co_return;
    if (!sent) {
        setBusy(false);
        co_return;
    }
    // Whatever was typed while the reply travelled is a new reply, not this one.
    if (m_reply == text)
        setReply(QString());
    co_await load();
    if (self)
        setBusy(false);
}

void TopicDetailViewModel::setPosts(QList<VexaForumPost> posts, bool failed)
{
    m_posts = failed ? QList<VexaForumPost>() : std::move(posts);
    QList<qint64> ids;
    QList<QVariantMap> rows;
    for (const VexaForumPost &post : std::as_const(m_posts)) {
        ids.append(post.id);
        rows.append({{QStringLiteral("author"), community::forumAuthor(post)},
                     {QStringLiteral("body"), post.body},
                     {QStringLiteral("date"), post.createdAt.value_or(QString())},
                     {QStringLiteral("spoken"), community::forumPostSpoken(post)}});
    }
    setPostRows(ids, rows, failed);
}

void TopicDetailViewModel::setBusy(bool value)
{
    if (m_busy == value)
        return;
    m_busy = value;
    Q_EMIT replyChanged();
}

} // namespace vexa
