#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <QDateTime>

#include <chrono>
#include <functional>
#include <memory>

namespace vexa::service {

// One request as the service received it. Header names are lower-case.
struct RecordedRequest {
    QByteArray method;                            // "GET", "POST", ...
    QString path;                                 // "/api/chat", without the query
    QString query;                                // encoded query text after '?', or empty
    QList<QPair<QByteArray, QByteArray>> headers; // order not significant
    QByteArray body;

    QByteArray header(const QByteArray &lowerCaseName) const;
    bool hasHeader(const QByteArray &lowerCaseName) const;
};

// A reply that tests put in front of the real endpoints.
struct ScriptedReply {
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers; // Content-Type defaults to application/json
    QByteArray body;
    std::chrono::milliseconds delay{0};           // the reply is sent this long after the request
    int times = -1;                               // how many requests it answers; -1 = until cleared
};

class ServiceState;

// The local stand-in for the Vexa AI service: real HTTP on loopback, the service's endpoints,
// a demo account, and hooks for tests (scripted replies, request log).
class LocalService : public QObject
{
    Q_OBJECT
public:
    explicit LocalService(QObject *parent = nullptr);
    ~LocalService() override;

    // Listens on address:port (0 = any free port). Returns false when the port cannot be bound.
    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    quint16 port() const;
    QUrl baseUrl() const; // "http://127.0.0.1:<port>"
    QString errorString() const; // why listen() failed

    // A fresh single-use sign-in code (expires after codeLifetime()).
    QString issueCode();
    // A fixed code that is always accepted (for scripts and tests); empty disables it.
    void setFixedCode(const QString &code);
    std::chrono::seconds codeLifetime() const;
    QString fixedCode() const;
    // Test hooks for expiry: the lifetime of issued codes, and the clock they are checked
    // against (an empty function restores the real clock).
    void setCodeLifetime(std::chrono::seconds lifetime);
    void setClock(std::function<QDateTime()> clock);

    // A valid session cookie value for the demo account, as a sign-in would set it.
    QByteArray createSession();
    static QByteArray cookieName(); // "vexa_session"
    // Forgets every session, as if they had expired on the service: the next request gets 401.
    void endSessions();

    // Scripted replies win over the real endpoints for a method and an exact path (no query),
    // before any session check. Replies for one method and path form a queue, each answering
    // `times` requests; a new script replaces an unlimited (times = -1) one at the queue's end.
    void script(const QByteArray &method, const QString &path, const ScriptedReply &reply);
    void clearScripts();

    QList<RecordedRequest> requests() const;
    QList<RecordedRequest> requests(const QString &path) const;
    void clearRequests();

    ServiceState &state();

Q_SIGNALS:
    void requestReceived(const vexa::service::RecordedRequest &request);

private:
    class Server;
    std::unique_ptr<ServiceState> m_state;
    std::unique_ptr<Server> m_server;
};

} // namespace vexa::service
