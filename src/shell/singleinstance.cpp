#include "singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace vexa {

namespace {

QString userName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("USERNAME");
    return name;
}

} // namespace

QString SingleInstance::defaultSocketPath()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return QDir(runtime).filePath(QStringLiteral("vexa-ai.socket"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("vexa-ai-%1.socket").arg(userName()));
}

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent),
      m_path(std::move(socketPath))
{
}

SingleInstance::SingleInstance(QString socketPath, LaunchRequest request, QObject *parent)
    : QObject(parent),
      m_path(std::move(socketPath)),
      m_request(std::move(request))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close(); // removes the socket file, so the next launch starts at once
}

void SingleInstance::claim()
{
    if (m_probe)
        return;
    m_probe = new QLocalSocket(this);
    QLocalSocket *probe = m_probe;
    connect(probe, &QLocalSocket::connected, this, [this, probe] {
        probe->write(m_request.encode());
        probe->flush();
        probe->disconnectFromServer();
    });
    connect(probe, &QLocalSocket::disconnected, this, [this, probe] {
        m_probe = nullptr;
        probe->deleteLater();
        Q_EMIT handedOver();
    });
    connect(probe, &QLocalSocket::errorOccurred, this, [this, probe](QLocalSocket::LocalSocketError error) {
        if (probe->state() == QLocalSocket::ConnectedState
            || error == QLocalSocket::PeerClosedError)
            return; // the running instance closed first; disconnected() follows
        m_probe = nullptr;
        probe->deleteLater();
        becomePrimary();
    });
    probe->connectToServer(m_path);
}

void SingleInstance::becomePrimary()
{
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_path)) {
        const auto error = server->serverError();
        delete server;
        if (error == QAbstractSocket::AddressInUseError && !m_retried) {
            // Either a socket left behind by a crashed instance, or another launch that won the
            // race a moment ago: ask once more, and remove the file only if nobody answers.
            m_retried = true;
            QLocalSocket check;
            check.connectToServer(m_path);
            if (check.state() == QLocalSocket::ConnectedState
                || check.state() == QLocalSocket::ConnectingState) {
                check.abort();
                claim();
                return;
            }
            QLocalServer::removeServer(m_path);
            becomePrimary();
            return;
        }
        Q_EMIT failed(QStringLiteral("cannot listen on %1").arg(m_path));
        return;
    }
    m_server = server;
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    Q_EMIT primary();
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
    }
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    // One line per connection; a line longer than any request could be is not read to its end.
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > LaunchRequest::kMaxLineBytes)
            socket->abort();
        return;
    }
    const QByteArray line = socket->readLine(LaunchRequest::kMaxLineBytes + 1);
    socket->disconnectFromServer();
    const auto request = LaunchRequest::decode(line);
    if (!request)
        return; // anything else on the socket is ignored
    Q_EMIT activationRequested();
    if (request->kind == LaunchRequest::Kind::NewChat)
        Q_EMIT newChatRequested(request->draft);
}

} // namespace vexa
