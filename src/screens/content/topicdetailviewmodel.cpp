#include "topicdetailviewmodel.h"

#include "communityrules.h"
#include "detachedtask.h"

#include <QJsonObject>

namespace vexa {

namespace {

QJsonObject replyBody(const QString &text)
{
    return QJsonObject{{QStringLiteral("body"), text}};
}

} // namespace

TopicDetailViewModel::TopicDetailViewModel(QObject *parent)
    : QObject(parent)
    , m_postRows(new CommunityRowModel({"author", "body", "date", "spoken"}, this))
{
    setClient(VexaClient::shared());
}

void TopicDetailViewModel::setClient(VexaClient *client)
{
    if (m_client == client)
        return;
    m_client = client;
    Q_EMIT clientChanged();
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

QString TopicDetailViewModel::postsMessage() const
{
    if (m_failed)
        return community::failedListText();
    return m_loaded && m_posts.isEmpty() ? community::noPostsText() : QString();
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

void TopicDetailViewModel::reload()
{
    detach(load());
}

void TopicDetailViewModel::sendReply()
{
    if (canReply())
        detach(runReply());
}

QCoro::Task<> TopicDetailViewModel::load()
{
    QPointer<TopicDetailViewModel> self(this);
    QPointer<VexaClient> client = m_client;
    if (!client || !m_topic)
        co_return;
    const quint64 ticket = ++m_loadTicket;
    setLoading(true);
    auto reply = co_await client->fetch<ForumTopicResponse>(community::topicPath(m_topic->id));
    if (!self || ticket != self->m_loadTicket)
        co_return;
    setLoading(false);
    if (!reply) {
        if (client)
            client->showNotice(describe(reply.error()));
        co_return;
    }
    setPosts(reply->posts.value_or(QList<VexaForumPost>()), !reply->ok);
}

QCoro::Task<> TopicDetailViewModel::runReply()
{
    QPointer<TopicDetailViewModel> self(this);
    QPointer<VexaClient> client = m_client;
    if (!client || !canReply())
        co_return;
    const QString text = m_reply;
    setBusy(true);
    auto sent = co_await client->request(community::topicReplyPath(m_topic->id), replyBody(text));
    if (!self)
        co_return;
    if (!sent) {
        setBusy(false);
        if (client)
            client->showNotice(describe(sent.error()));
        co_return;
    }
    if (client)
        client->applyReplyState(*sent);
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
    m_failed = failed;
    m_loaded = true;
    QList<qint64> ids;
    QList<QVariantMap> rows;
    for (const VexaForumPost &post : std::as_const(m_posts)) {
        ids.append(post.id);
        rows.append({{QStringLiteral("author"), community::forumAuthor(post)},
                     {QStringLiteral("body"), post.body},
                     {QStringLiteral("date"), post.createdAt.value_or(QString())},
                     {QStringLiteral("spoken"), community::forumPostSpoken(post)}});
    }
    m_postRows->setRows(ids, rows);
    Q_EMIT postsChanged();
}

void TopicDetailViewModel::setLoading(bool value)
{
    if (m_loading == value)
        return;
    m_loading = value;
    Q_EMIT loadingChanged();
}

void TopicDetailViewModel::setBusy(bool value)
{
    if (m_busy == value)
        return;
    m_busy = value;
    Q_EMIT replyChanged();
}

} // namespace vexa
