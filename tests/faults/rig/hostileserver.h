#pragma once

// A deliberately misbehaving HTTP(S) server for the client's fault tests and benchmark: it stalls,
// hangs up half-way, streams endless bodies, redirects anywhere, or shows a bad certificate.
// It runs on a thread of its own, so whatever it does costs the main thread (the client's)
// nothing, and it logs every request it reads so a test can tell what reached it.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QSslCertificate>
#include <QSslKey>
#include <QThread>
#include <QUrl>

#include <optional>

namespace vexa::faults {

using Headers = QList<QPair<QByteArray, QByteArray>>;

// One request as the server read it. Header names are lower-case.
struct Hit {
    QByteArray method;
    QByteArray target; // the request target as sent ("/api/state")
    Headers headers;
    QByteArray body;

    QByteArray header(const QByteArray &lowerCaseName) const;
};

// What the server does once it has read a request.
struct Behaviour {
    enum class Kind {
        Reply,       // status, headers and body, complete; then it closes
        Silent,      // reads the request and never answers
        StallInBody, // the head (with Content-Length), half the body, then nothing
        CutShort,    // the head (with Content-Length), a few bytes of the body, then hangs up
        Stream,      // streamBytes of filler as fast as the client reads them
    };
    Kind kind = Kind::Reply;
    int status = 200;
    Headers headers;                 // Reply: sent as given (Content-Length is added)
    QByteArray body;                 // Reply, StallInBody and CutShort
    qint64 streamBytes = 0;          // Stream
    bool declareLength = true;       // Stream: with Content-Length, else until the connection closes

    static Behaviour reply(int status, QByteArray body, Headers headers = {});
};

// The certificate and key a TLS server shows.
struct TlsIdentity {
    QSslCertificate certificate;
    QSslKey key;
};

class HostileServer
{
public:
    HostileServer();
    ~HostileServer();
    HostileServer(const HostileServer &) = delete;
    HostileServer &operator=(const HostileServer &) = delete;

    // Listens on a free port of this address; false when it cannot.
    bool listen(const QHostAddress &address = QHostAddress::LocalHost);
    quint16 port() const { return m_port; }
    // "<scheme>://<host>:<port>", host defaulting to the address listened on.
    QString origin(const QString &scheme = QStringLiteral("http"), QString host = {}) const;

    // Take effect from the next request (behaviour) or connection (TLS) on.
    void setBehaviour(Behaviour behaviour);
    // With an identity the server speaks TLS only; without, plain HTTP.
    void setTls(std::optional<TlsIdentity> identity);

    QList<Hit> hits() const;
    void clearHits();
    // Body bytes handed to the sockets of streamed replies since the last clearHits().
    qint64 bytesStreamed() const;

    class Worker;
    struct Shared {
        mutable QMutex mutex;
        Behaviour behaviour;
        std::optional<TlsIdentity> tls;
        QList<Hit> hits;
        qint64 streamed = 0;
    };

private:
    Shared m_shared;
    QThread m_thread;
    Worker *m_worker = nullptr;
    QHostAddress m_address;
    quint16 m_port = 0;
};

} // namespace vexa::faults
