#pragma once

// The HTTP side of LocalService (private to the library).

#include "localservice.h"
#include "router.h"
#include "routes.h"
#include "sessions.h"

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QList>

QT_BEGIN_NAMESPACE
class QTcpServer;
QT_END_NAMESPACE

namespace vexa::service {

class LocalService::Server : public QAbstractHttpServer
{
public:
    Server(LocalService *owner, ServiceState &state);
    ~Server() override;

    bool listenOn(const QHostAddress &address, quint16 port);
    bool isListening() const { return m_tcp != nullptr; }
    quint16 port() const;
    QHostAddress address() const;
    QString errorString() const { return m_error; }

    void script(const QByteArray &method, const QString &path, const ScriptedReply &reply);
    void clearScripts() { m_scripts.clear(); }

    SessionStore sessions;
    Router router;
    ApiContext context;
    QList<RecordedRequest> log;

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    struct ScriptEntry {
        QByteArray method;
        QString path;
        ScriptedReply reply;
    };
    std::optional<ScriptedReply> takeScript(const QByteArray &method, const QString &path);
    RecordedRequest record(const QHttpServerRequest &request, QTcpSocket *socket) const;
    Reply makeReply(const QHttpServerRequest &request, QTcpSocket *socket, bool apiDefaults);

    LocalService *m_owner;
    QTcpServer *m_tcp = nullptr;
    QString m_error;
    QList<ScriptEntry> m_scripts;
};

} // namespace vexa::service
