#include "hostileserver.h"

#include <QMetaObject>
#include <QPointer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

namespace vexa::faults {

namespace {

constexpr qint64 kStreamChunk = 64 * 1024;
constexpr qint64 kStreamBacklog = 1024 * 1024; // what may wait in the socket before the client reads

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

QByteArray head(int status, const Headers &headers, std::optional<qint64> contentLength)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    bool hasType = false;
    for (const auto &[name, value] : headers) {
        hasType |= name.compare("content-type", Qt::CaseInsensitive) == 0;
        out += name + ": " + value + "\r\n";
    }
    if (!hasType)
        out += "Content-Type: application/json\r\n";
    if (contentLength)
        out += "Content-Length: " + QByteArray::number(*contentLength) + "\r\n";
    out += "Connection: close\r\n\r\n";
    return out;
}

// Reads one request from a socket, then plays the behaviour that was current when it arrived.
class Connection : public QObject
{
public:
    Connection(QTcpSocket *socket, HostileServer::Shared &shared, QObject *parent)
        : QObject(parent), m_socket(socket), m_shared(shared)
    {
        socket->setParent(this);
        connect(socket, &QIODevice::readyRead, this, [this] { readRequest(); });
        connect(socket, &QIODevice::bytesWritten, this, [this] { pump(); });
        connect(socket, &QAbstractSocket::disconnected, this, [this] { deleteLater(); });
        connect(socket, &QAbstractSocket::errorOccurred, this, [this] {
            // A refused handshake or a client that aborted: nothing more to say to it.
            if (m_socket->state() == QAbstractSocket::UnconnectedState)
                deleteLater();
        });
    }

private:
    void readRequest()
    {
        m_buffer += m_socket->readAll();
        if (m_answered)
            return;
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        Hit hit;
        const QList<QByteArray> lines = m_buffer.left(end).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        hit.method = requestLine.value(0);
        hit.target = requestLine.value(1);
        qint64 length = 0;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines.at(i).indexOf(':');
            if (colon <= 0)
                continue;
            const QByteArray name = lines.at(i).left(colon).trimmed().toLower();
            const QByteArray value = lines.at(i).mid(colon + 1).trimmed();
            hit.headers.append({name, value});
            if (name == "content-length")
                length = value.toLongLong();
        }
        if (m_buffer.size() - (end + 4) < length)
            return; // the body is still on its way
        hit.body = m_buffer.mid(end + 4, length);
        m_answered = true;
        Behaviour behaviour;
        {
            QMutexLocker lock(&m_shared.mutex);
            m_shared.hits.append(hit);
            behaviour = m_shared.behaviour;
        }
        answer(behaviour);
    }

    void answer(const Behaviour &b)
    {
        switch (b.kind) {
        case Behaviour::Kind::Reply:
            m_socket->write(head(b.status, b.headers, b.body.size()));
            m_socket->write(b.body);
            m_socket->disconnectFromHost(); // after what is written has gone out
            break;
        case Behaviour::Kind::Silent:
            break;
        case Behaviour::Kind::StallInBody:
            m_socket->write(head(b.status, b.headers, b.body.size()));
            m_socket->write(b.body.left(b.body.size() / 2));
            break;
        case Behaviour::Kind::CutShort:
            m_socket->write(head(b.status, b.headers, b.body.size()));
            m_socket->write(b.body.left(b.body.size() / 3));
            m_socket->disconnectFromHost();
            break;
        case Behaviour::Kind::Stream:
            m_streamLeft = b.streamBytes;
            m_closeAfterStream = !b.declareLength;
            m_socket->write(head(b.status, b.headers,
                                 b.declareLength ? std::optional<qint64>(b.streamBytes) : std::nullopt));
            m_chunk = QByteArray(kStreamChunk, 'x');
            m_chunk.replace(0, 8, "{\"pad\":\"");
            pump();
            break;
        }
    }

    // Keeps about a megabyte queued in the socket while the client reads.
    void pump()
    {
        if (m_streamLeft <= 0)
            return;
        qint64 written = 0;
        while (m_streamLeft > 0 && m_socket->bytesToWrite() < kStreamBacklog
               && m_socket->state() == QAbstractSocket::ConnectedState) {
            const qint64 n = std::min(m_streamLeft, kStreamChunk);
            m_socket->write(m_chunk.constData(), n);
            m_streamLeft -= n;
            written += n;
        }
        {
            QMutexLocker lock(&m_shared.mutex);
            m_shared.streamed += written;
        }
        if (m_streamLeft <= 0 && m_closeAfterStream)
            m_socket->disconnectFromHost();
    }

    QTcpSocket *m_socket;
    HostileServer::Shared &m_shared;
    QByteArray m_buffer;
    bool m_answered = false;
    qint64 m_streamLeft = 0;
    bool m_closeAfterStream = false;
    QByteArray m_chunk;
};

class Listener : public QTcpServer
{
public:
    Listener(HostileServer::Shared &shared, QObject *parent) : QTcpServer(parent), m_shared(shared) {}

protected:
    void incomingConnection(qintptr descriptor) override
    {
        std::optional<TlsIdentity> tls;
        {
            QMutexLocker lock(&m_shared.mutex);
            tls = m_shared.tls;
        }
        QTcpSocket *socket = nullptr;
        if (tls) {
            auto *secure = new QSslSocket;
            secure->setLocalCertificate(tls->certificate);
            secure->setPrivateKey(tls->key);
            secure->setPeerVerifyMode(QSslSocket::VerifyNone);
            socket = secure;
        } else {
            socket = new QTcpSocket;
        }
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        new Connection(socket, m_shared, this);
        if (tls)
            static_cast<QSslSocket *>(socket)->startServerEncryption();
    }

private:
    HostileServer::Shared &m_shared;
};

} // namespace

class HostileServer::Worker : public QObject
{
public:
    Listener *listener = nullptr;
};

QByteArray Hit::header(const QByteArray &lowerCaseName) const
{
    for (const auto &[name, value] : headers) {
        if (name == lowerCaseName)
            return value;
    }
    return {};
}

Behaviour Behaviour::reply(int status, QByteArray body, Headers headers)
{
    Behaviour b;
    b.kind = Kind::Reply;
    b.status = status;
    b.body = std::move(body);
    b.headers = std::move(headers);
    return b;
}

HostileServer::HostileServer()
{
    m_thread.setObjectName(QStringLiteral("hostile server"));
    m_worker = new Worker;
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

HostileServer::~HostileServer()
{
    Worker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] {
        delete worker->listener; // with every connection it holds
        worker->listener = nullptr;
    }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

bool HostileServer::listen(const QHostAddress &address)
{
    Worker *worker = m_worker;
    Shared *shared = &m_shared;
    quint16 port = 0;
    QMetaObject::invokeMethod(worker, [worker, shared, address, &port] {
        delete worker->listener;
        worker->listener = new Listener(*shared, worker);
        if (worker->listener->listen(address, 0))
            port = worker->listener->serverPort();
    }, Qt::BlockingQueuedConnection);
    m_address = address;
    m_port = port;
    return port != 0;
}

QString HostileServer::origin(const QString &scheme, QString host) const
{
    if (host.isEmpty())
        host = m_address.toString();
    return scheme + QStringLiteral("://") + host + u':' + QString::number(m_port);
}

void HostileServer::setBehaviour(Behaviour behaviour)
{
    QMutexLocker lock(&m_shared.mutex);
    m_shared.behaviour = std::move(behaviour);
}

void HostileServer::setTls(std::optional<TlsIdentity> identity)
{
    QMutexLocker lock(&m_shared.mutex);
    m_shared.tls = std::move(identity);
}

QList<Hit> HostileServer::hits() const
{
    QMutexLocker lock(&m_shared.mutex);
    return m_shared.hits;
}

void HostileServer::clearHits()
{
    QMutexLocker lock(&m_shared.mutex);
    m_shared.hits.clear();
    m_shared.streamed = 0;
}

qint64 HostileServer::bytesStreamed() const
{
    QMutexLocker lock(&m_shared.mutex);
    return m_shared.streamed;
}

} // namespace vexa::faults
