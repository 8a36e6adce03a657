#include "chatlistviewmodel.h"

namespace vexa {

ChatListViewModel::ChatListViewModel(QObject *parent)
    : QObject(parent), m_model(new ChatListModel(this))
{
    // The application's client unless a host hands in another (see ChatViewModel).
    setClient(VexaClient::shared());
}

void ChatListViewModel::setClient(VexaClient *client)
{
    if (m_client == client)
        return;
    for (const auto &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_client = client;
    if (client) {
        m_connections = {
            connect(client, &VexaClient::chatsChanged, this, &ChatListViewModel::refresh),
            connect(client, &VexaClient::activeChatIDChanged, this, &ChatListViewModel::refresh),
            connect(client, &VexaClient::sendingChanged, this, &ChatListViewModel::enabledChanged),
            connect(client, &VexaClient::chatsLoadingChanged, this,
                    &ChatListViewModel::enabledChanged),
        };
    }
    refresh();
    Q_EMIT clientChanged();
    Q_EMIT enabledChanged();
}

void ChatListViewModel::refresh()
{
    if (m_client)
        m_model->setChats(m_client->chats(), m_client->activeChatIDText());
    else
        m_model->setChats({}, QString());
    Q_EMIT chatsChanged();
}

bool ChatListViewModel::enabled() const
{
    return m_client && !m_client->sending() && !m_client->chatsLoading();
}

void ChatListViewModel::appear()
{
    if (m_client)
        m_client->startSyncChats();
}

void ChatListViewModel::createChat()
{
    if (enabled())
        runCreate();
}

void ChatListViewModel::selectChat(const QString &id)
{
    if (enabled())
        runSelect(id);
}

QCoro::Task<> ChatListViewModel::runCreate()
{
    QPointer<ChatListViewModel> self(this);
    QPointer<VexaClient> client = m_client;
    co_await client->createChat();
    if (self)
        Q_EMIT selected();
}

QCoro::Task<> ChatListViewModel::runSelect(QString id)
{
    QPointer<ChatListViewModel> self(this);
    QPointer<VexaClient> client = m_client;
    co_await client->selectChat(id);
    if (self)
        Q_EMIT selected();
}

} // namespace vexa
