#include "communityviewmodel.h"

#include "communityrules.h"
#include "detachedtask.h"

#include <QJsonObject>

namespace vexa {

namespace {

// The roles of every row of the front page, so that the rows of both cards chain into one list.
QByteArrayList frontRoles()
{
    return {"kind", "headline", "subtitle", "caption", "closed", "spoken"};
}

QVariantMap frontRow(const QString &kind, const QString &headline = QString(),
                     const QString &subtitle = QString(), const QString &caption = QString(),
                     bool closed = false, const QString &spoken = QString())
{
    return {{QStringLiteral("kind"), kind},         {QStringLiteral("headline"), headline},
            {QStringLiteral("subtitle"), subtitle}, {QStringLiteral("caption"), caption},
            {QStringLiteral("closed"), closed},     {QStringLiteral("spoken"), spoken}};
}

CommunityRowModel *headerRow(const QString &kind, QObject *parent)
{
    auto *model = new CommunityRowModel(frontRoles(), parent);
    model->setRows(QList<qint64>{0}, {frontRow(kind)});
    return model;
}

QJsonObject newTopicBody(const QString &title, const QString &body)
{
    return QJsonObject{{QStringLiteral("title"), title}, {QStringLiteral("body"), body}};
}

} // namespace

CommunityViewModel::CommunityViewModel(QObject *parent)
    : QObject(parent)
    , m_topicRows(new CommunityRowModel(frontRoles(), this))
    , m_communityRows(new CommunityRowModel(frontRoles(), this))
    , m_rows(new CommunityRowChain(this))
{
    m_rows->addSourceModel(headerRow(QStringLiteral("forum"), this));
    m_rows->addSourceModel(m_topicRows);
    m_rows->addSourceModel(headerRow(QStringLiteral("groups"), this));
    m_rows->addSourceModel(m_communityRows);
    setClient(VexaClient::shared());
}

void CommunityViewModel::setClient(VexaClient *client)
{
    if (m_client == client)
        return;
    m_client = client;
    Q_EMIT clientChanged();
}

QString CommunityViewModel::topicsMessage() const
{
    if (m_topicsFailed)
        return community::failedListText();
    return m_topics.isEmpty() ? community::noTopicsText() : QString();
}

QString CommunityViewModel::communitiesMessage() const
{
    if (m_communitiesFailed)
        return community::failedListText();
    return m_communities.isEmpty() ? community::noGroupsText() : QString();
}

void CommunityViewModel::setNewTitle(const QString &text)
{
    if (m_newTitle == text)
        return;
    m_newTitle = text;
    Q_EMIT newTopicChanged();
}

void CommunityViewModel::setNewBody(const QString &text)
{
    if (m_newBody == text)
        return;
    m_newBody = text;
    Q_EMIT newTopicChanged();
}

bool CommunityViewModel::canCreate() const
{
    return !m_creating && community::isAcceptableTitle(m_newTitle);
}

void CommunityViewModel::reload()
{
    detach(load());
}

void CommunityViewModel::beginCreate()
{
    setShowingCreate(true);
}

void CommunityViewModel::cancelCreate()
{
    setShowingCreate(false);
}

void CommunityViewModel::create()
{
    if (canCreate())
        detach(runCreate());
}

QVariant CommunityViewModel::topicAt(int row) const
{
    if (row < 0 || row >= m_topics.size())
        return {};
    return QVariant::fromValue(m_topics.at(row));
}

QVariant CommunityViewModel::communityAt(int row) const
{
    if (row < 0 || row >= m_communities.size())
        return {};
    return QVariant::fromValue(m_communities.at(row));
}

QCoro::Task<> CommunityViewModel::load()
{
    QPointer<CommunityViewModel> self(this);
    QPointer<VexaClient> client = m_client;
    if (!client)
        co_return;
    const quint64 ticket = ++m_loadTicket;
    setLoading(true);
    // Both requests are in flight together; both are awaited to their end, whatever the first
    // one brings, so neither outlives this load unowned.
    auto forumTask = client->fetch<ForumListResponse>(community::topicsPath());
    auto groupsTask = client->fetch<CommunitiesResponse>(community::groupsPath());
    auto forum = co_await std::move(forumTask);
    auto groups = co_await std::move(groupsTask);
    // A newer load has started since: its replies decide what is shown, not these.
    if (!self || ticket != self->m_loadTicket)
        co_return;
    setLoading(false);
    if (!forum) {
        if (client)
            client->showNotice(describe(forum.error()));
        co_return;
    }
    setTopics(forum->topics.value_or(QList<VexaForumTopic>()), !forum->ok);
    if (!groups) {
        if (client)
            client->showNotice(describe(groups.error()));
        co_return;
    }
    setCommunities(groups->communities.value_or(QList<VexaCommunity>()), !groups->ok);
}

QCoro::Task<> CommunityViewModel::runCreate()
{
    QPointer<CommunityViewModel> self(this);
    QPointer<VexaClient> client = m_client;
    if (!client || m_creating)
        co_return;
    const QString title = m_newTitle;
    const QString body = m_newBody;
    setCreating(true);
    auto reply = co_await client->request(community::newTopicPath(), newTopicBody(title, body));
    if (!self)
        co_return;
    setCreating(false);
    if (!reply) {
        if (client)
            client->showNotice(describe(reply.error()));
        co_return;
    }
    if (client)
        client->applyReplyState(*reply);
    // The form was read-only while the topic was sent, so these are the texts that went out.
    setNewTitle(QString());
    setNewBody(QString());
    setShowingCreate(false);
    co_await load();
}

void CommunityViewModel::setTopics(QList<VexaForumTopic> topics, bool failed)
{
    m_topics = failed ? QList<VexaForumTopic>() : std::move(topics);
    m_topicsFailed = failed;
    QList<qint64> ids;
    QList<QVariantMap> rows;
    for (const VexaForumTopic &topic : std::as_const(m_topics)) {
        ids.append(topic.id);
        rows.append(frontRow(QStringLiteral("topic"), topic.title, QString(),
                             community::repliesText(topic), !community::acceptsReplies(topic),
                             community::topicRowSpoken(topic)));
    }
    m_topicRows->setRows(ids, rows);
    Q_EMIT listsChanged();
}

void CommunityViewModel::setCommunities(QList<VexaCommunity> communities, bool failed)
{
    m_communities = failed ? QList<VexaCommunity>() : std::move(communities);
    m_communitiesFailed = failed;
    QList<qint64> ids;
    QList<QVariantMap> rows;
    for (const VexaCommunity &group : std::as_const(m_communities)) {
        ids.append(group.id);
        rows.append(frontRow(QStringLiteral("group"), community::groupName(group),
                             group.description.value_or(QString()),
                             community::membersText(group.membersCount.value_or(0)), false,
                             community::groupRowSpoken(group)));
    }
    m_communityRows->setRows(ids, rows);
    Q_EMIT listsChanged();
}

void CommunityViewModel::setLoading(bool value)
{
    if (m_loading == value)
        return;
    m_loading = value;
    Q_EMIT loadingChanged();
}

void CommunityViewModel::setShowingCreate(bool value)
{
    if (m_showingCreate == value)
        return;
    m_showingCreate = value;
    Q_EMIT showingCreateChanged();
}

void CommunityViewModel::setCreating(bool value)
{
    if (m_creating == value)
        return;
    m_creating = value;
    Q_EMIT newTopicChanged();
}

} // namespace vexa
