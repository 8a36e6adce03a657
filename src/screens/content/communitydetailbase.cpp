#include "communitydetailbase.h"

#include "communityrules.h"
#include "detachedtask.h"

namespace vexa {

CommunityDetailBase::CommunityDetailBase(QByteArrayList postRoles, QObject *parent)
    : QObject(parent), m_postRows(new CommunityRowModel(std::move(postRoles), this))
{
    setClient(VexaClient::shared());
}

void CommunityDetailBase::setClient(VexaClient *client)
{
    if (m_client == client)
        return;
    m_client = client;
    Q_EMIT clientChanged();
}

QString CommunityDetailBase::postsMessage() const
{
    if (m_failed)
        return community::failedListText();
    return m_loaded && m_postRows->count() == 0 ? community::noPostsText() : QString();
}

void CommunityDetailBase::reload()
{
    detach(load());
}

QCoro::Task<bool> CommunityDetailBase::change(QString path, QJsonObject body)
{
    QPointer<CommunityDetailBase> self(this);
    QPointer<VexaClient> client = m_client;
    if (!client)
        co_return false;
    const bool changed = co_await client->change(std::move(path), std::move(body));
    co_return self && changed;
}

void CommunityDetailBase::setPostRows(const QList<qint64> &ids, const QList<QVariantMap> &rows,
                                      bool failed)
{
    m_failed = failed;
    m_loaded = true;
    m_postRows->setRows(failed ? QList<qint64>() : ids,
                        failed ? QList<QVariantMap>() : rows);
    Q_EMIT postsChanged();
}

void CommunityDetailBase::setLoading(bool value)
{
    if (m_loading == value)
        return;
    m_loading = value;
    Q_EMIT loadingChanged();
}

} // namespace vexa
