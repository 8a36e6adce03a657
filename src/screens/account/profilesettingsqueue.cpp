#include "profilesettingsqueue.h"

#include "detachedtask.h"

namespace vexa::account {

namespace {
QString queueObjectName()
{
    return QStringLiteral("vexaProfileSettingsQueue");
}
} // namespace

ProfileSettingsQueue::ProfileSettingsQueue(VexaClient *client)
    : QObject(client), m_client(client)
{
    setObjectName(queueObjectName());
    // Any state the client takes is the service's word on every setting, held ones included.
    connect(client, &VexaClient::stateChanged, this, [this] {
        ++m_states;
        m_accepted.clear();
    });
}

ProfileSettingsQueue *ProfileSettingsQueue::forClient(VexaClient *client)
{
    if (!client)
        return nullptr;
    if (auto *queue = client->findChild<ProfileSettingsQueue *>(queueObjectName(),
                                                                Qt::FindDirectChildrenOnly))
        return queue;
    return new ProfileSettingsQueue(client);
}

void ProfileSettingsQueue::enqueue(const QString &name, const QString &value)
{
    m_queue.enqueue({name, value});
    if (!m_draining)
        detach(drain());
}

bool ProfileSettingsQueue::isPending(const QString &name) const
{
    for (const Setting &setting : m_queue) {
        if (setting.name == name)
            return true;
    }
    return false;
}

std::optional<QString> ProfileSettingsQueue::acceptedValue(const QString &name) const
{
    const auto found = m_accepted.constFind(name);
    if (found == m_accepted.cend())
        return std::nullopt;
    return *found;
}

QCoro::Task<> ProfileSettingsQueue::drain()
{
    // The queue is a child of the client: while it lives, so does the client.
    QPointer<ProfileSettingsQueue> self(this);
    m_draining = true;
    while (!m_queue.isEmpty()) {
        const Setting next = m_queue.head();
        const quint64 statesBefore = m_states;
        co_await m_client->updateSetting(next.name, next.value);
        if (!self)
            co_return;
        m_queue.dequeue();
        // updateSetting clears the notice when the service took the value and shows the
        // failure otherwise; an answer without a state still means the value was applied.
        if (m_states == statesBefore && !m_client->hasNotice())
            m_accepted.insert(next.name, next.value);
        Q_EMIT settled(next.name);
        if (!self)
            co_return;
    }
    m_draining = false;
}

} // namespace vexa::account
