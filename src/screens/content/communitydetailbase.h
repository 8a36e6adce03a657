#pragma once

// What the two community detail screens (a group, a forum topic) share: the client, the posts
// list and its message, and loading with a ticket, so only the latest load started changes
// what is shown. A screen names what it loads and turns the reply into rows.

#include "communityrowmodel.h"
#include "vexaclient.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace vexa {

class CommunityDetailBase : public QObject
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(vexa::VexaClient *client READ client WRITE setClient NOTIFY clientChanged)
    Q_PROPERTY(vexa::CommunityRowModel *posts READ posts CONSTANT)
    Q_PROPERTY(QString postsMessage READ postsMessage NOTIFY postsChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)

public:
    VexaClient *client() const { return m_client.data(); }
    void setClient(VexaClient *client);
    CommunityRowModel *posts() const { return m_postRows; }
    // Why the list is empty: the load failed, or there are no posts yet.
    QString postsMessage() const;
    bool loading() const { return m_loading; }

    Q_INVOKABLE void reload();
    virtual QCoro::Task<> load() = 0;

Q_SIGNALS:
    void clientChanged();
    void postsChanged();
    void loadingChanged();

protected:
    // The posts' roles besides "rowId". Works on VexaClient::shared() until another is set.
    explicit CommunityDetailBase(QByteArrayList postRoles, QObject *parent = nullptr);

    // The reply of the load started here, or nothing: no client, a newer load started meanwhile,
    // or the request failed (the notice says why). The caller checks itself after awaiting.
    template <typename Response>
    QCoro::Task<std::optional<Response>> fetchLatest(QString path);
    // A change the service accepted, its state applied to the client; false after a failure
    // (the notice says why).
    QCoro::Task<bool> change(QString path, QJsonObject body);
    // The loaded posts as rows; a failed load shows none and says so.
    void setPostRows(const QList<qint64> &ids, const QList<QVariantMap> &rows, bool failed);

private:
    void setLoading(bool value);

    QPointer<VexaClient> m_client;
    CommunityRowModel *m_postRows;
    bool m_loaded = false;
    bool m_failed = false;
    quint64 m_loadTicket = 0;
    bool m_loading = false;
};

template <typename Response>
QCoro::Task<std::optional<Response>> CommunityDetailBase::fetchLatest(QString path)
{
    QPointer<CommunityDetailBase> self(this);
    QPointer<VexaClient> client = m_client;
    if (!client)
        co_return std::nullopt;
    const quint64 ticket = ++m_loadTicket;
    setLoading(true);
    auto reply = co_await client->fetch<Response>(std::move(path));
    // A newer load has started since (after a second like, say): it decides what is shown.
    if (!self || ticket != m_loadTicket)
        co_return std::nullopt;
    setLoading(false);
    if (!reply) {
        if (client)
            client->showNotice(describe(reply.error()));
        co_return std::nullopt;
    }
    std::optional<Response> loaded = std::move(*reply);
    co_return loaded;
}

} // namespace vexa
