#include "communitydetailviewmodel.h"

#include "detachedtask.h"

#include <QJsonObject>

namespace vexa {

namespace {

QJsonObject postBody(const QString &content, bool anonymous)
{
    return QJsonObject{{QStringLiteral("content"), content},
                       {QStringLiteral("is_anonymous"), anonymous}};
}

} // namespace

CommunityDetailViewModel::CommunityDetailViewModel(QObject *parent)
    : CommunityDetailBase({"author", "content", "date", "likes", "spoken"}, parent)
{
}

void CommunityDetailViewModel::setCommunity(const VexaCommunity &community)
{
    m_community = community;
    Q_EMIT communityChanged();
    Q_EMIT detailChanged();
}

QVariant CommunityDetailViewModel::communityValue() const
{
    return m_community ? QVariant::fromValue(*m_community) : QVariant();
}

void CommunityDetailViewModel::setCommunityValue(const QVariant &value)
{
    if (value.canConvert<VexaCommunity>())
        setCommunity(value.value<VexaCommunity>());
}

QString CommunityDetailViewModel::name() const
{
    return m_community ? community::groupName(*m_community) : QString();
}

QString CommunityDetailViewModel::description() const
{
    return m_community ? community::groupDescription(m_detail, *m_community) : QString();
}

QString CommunityDetailViewModel::membersText() const
{
    return community::membersText(m_community ? community::groupMembers(m_detail, *m_community)
                                              : 0);
}

QString CommunityDetailViewModel::membershipLabel() const
{
    return isMember() ? QStringLiteral("Выйти") : QStringLiteral("Вступить");
}

void CommunityDetailViewModel::setDraft(const QString &text)
{
    if (m_draft == text)
        return;
    m_draft = text;
    Q_EMIT draftChanged();
}

void CommunityDetailViewModel::setAnonymous(bool value)
{
    if (m_anonymous == value)
        return;
    m_anonymous = value;
    Q_EMIT draftChanged();
}

bool CommunityDetailViewModel::canSend() const
{
    return isMember() && !m_sending && community::hasText(m_draft);
}

void CommunityDetailViewModel::toggleMembership()
{
    detach(runMembership());
}

void CommunityDetailViewModel::like(qint64 postId)
{
    detach(runLike(postId));
}

void CommunityDetailViewModel::send()
{
    if (canSend())
        detach(runSend());
}

QCoro::Task<> CommunityDetailViewModel::load()
{
    QPointer<CommunityDetailViewModel> self(this);
    if (!m_community)
        co_return;
    const auto reply =
        co_await fetchLatest<CommunityDetailResponse>(community::groupPath(m_community->id));
    if (!self || !reply)
        co_return;
    setDetail(reply->community, reply->posts.value_or(QList<VexaCommunityPost>()), !reply->ok);
}

QCoro::Task<> CommunityDetailViewModel::runMembership()
{
    QPointer<CommunityDetailViewModel> self(this);
    if (!m_community)
        co_return;
    // Decided by what is shown at the moment of the press.
    const QString path = community::membershipPath(m_community->id, isMember());
    const bool changed = co_await change(path, QJsonObject());
    if (self && changed)
        co_await load();
}

QCoro::Task<> CommunityDetailViewModel::runLike(qint64 postId)
{
    QPointer<CommunityDetailViewModel> self(this);
    const bool changed = co_await change(community::likePath(postId), QJsonObject());
    if (self && changed)
        co_await load();
}

QCoro::Task<> CommunityDetailViewModel::runSend()
{
    QPointer<CommunityDetailViewModel> self(this);
    if (!m_community || !canSend())
        co_return;
    const QString text = m_draft;
    m_sending = true;
    Q_EMIT draftChanged();
    const bool changed = co_await change(community::groupPostPath(m_community->id),
                                         postBody(text, m_anonymous));
    if (!self)
        co_return;
    m_sending = false;
    // Text typed while the post travelled is the next post: only what went out is cleared.
    if (changed && m_draft == text)
        m_draft.clear();
    Q_EMIT draftChanged();
    if (changed)
        co_await load();
}

void CommunityDetailViewModel::setDetail(std::optional<VexaCommunity> detail,
                                         QList<VexaCommunityPost> posts, bool failed)
{
    m_detail = std::move(detail);
    m_posts = failed ? QList<VexaCommunityPost>() : std::move(posts);
    QList<qint64> ids;
    QList<QVariantMap> rows;
    for (const VexaCommunityPost &post : std::as_const(m_posts)) {
        ids.append(post.id);
        rows.append({{QStringLiteral("author"), community::postAuthor(post)},
                     {QStringLiteral("content"), post.content},
                     {QStringLiteral("date"), post.createdAt.value_or(QString())},
                     {QStringLiteral("likes"), community::likesText(post)},
                     {QStringLiteral("spoken"), community::postSpoken(post)}});
    }
    setPostRows(ids, rows, failed);
    Q_EMIT detailChanged();
    Q_EMIT draftChanged(); // membership decides whether a post can be sent
}

} // namespace vexa
