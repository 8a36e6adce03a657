#pragma once

// The chat list, in the sidebar and in the chat screen's sheet: the account's chats in the
// service's order, the active one marked, and the commands that switch and create chats.

#include "chatmodels.h"
#include "vexaclient.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace vexa {

class ChatListViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(vexa::VexaClient *client READ client WRITE setClient NOTIFY clientChanged)
    Q_PROPERTY(vexa::ChatListModel *chats READ chats CONSTANT)
    Q_PROPERTY(bool hasChats READ hasChats NOTIFY chatsChanged)
    // Rows and "Новый чат" take no presses while a message is sent or the list is loading.
    Q_PROPERTY(bool enabled READ enabled NOTIFY enabledChanged)

public:
    // Works on VexaClient::shared() until another client is set.
    explicit ChatListViewModel(QObject *parent = nullptr);

    VexaClient *client() const { return m_client.data(); }
    void setClient(VexaClient *client);
    ChatListModel *chats() const { return m_model; }
    bool hasChats() const { return m_model->rowCount() > 0; }
    bool enabled() const;

    // The list came on screen: fetch it fresh.
    Q_INVOKABLE void appear();
    // Each emits selected() once the service has answered, whether or not it agreed.
    Q_INVOKABLE void createChat();
    Q_INVOKABLE void selectChat(const QString &id);

Q_SIGNALS:
    void clientChanged();
    void chatsChanged();
    void enabledChanged();
    // A chat was created or selected (the sheet closes on it).
    void selected();

private:
    QCoro::Task<> runCreate();
    QCoro::Task<> runSelect(QString id);
    void refresh();

    QPointer<VexaClient> m_client;
    QList<QMetaObject::Connection> m_connections;
    ChatListModel *m_model;
};

} // namespace vexa
