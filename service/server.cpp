#include "server_p.h"

#include "servicestate.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMetaEnum>
#include <QPointer>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace vexa::service {

namespace {

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get: return QByteArrayLiteral("GET");
    case QHttpServerRequest::Method::Put: return QByteArrayLiteral("PUT");
    case QHttpServerRequest::Method::Delete: return QByteArrayLiteral("DELETE");
    case QHttpServerRequest::Method::Post: return QByteArrayLiteral("POST");
    case QHttpServerRequest::Method::Head: return QByteArrayLiteral("HEAD");
    case QHttpServerRequest::Method::Options: return QByteArrayLiteral("OPTIONS");
    case QHttpServerRequest::Method::Patch: return QByteArrayLiteral("PATCH");
    case QHttpServerRequest::Method::Connect: return QByteArrayLiteral("CONNECT");
    case QHttpServerRequest::Method::Trace: return QByteArrayLiteral("TRACE");
    default: return QByteArrayLiteral("UNKNOWN");
    }
}

// One response on its way out. The socket may be gone by the time a delayed reply is due.
struct Outgoing {
    Outgoing(QTcpSocket *s, QHttpServerResponder &&r)
        : socket(s)
        , responder(std::move(r))
    {
    }
    QPointer<QTcpSocket> socket;
    QHttpServerResponder responder;
};

void writeResponse(Outgoing &out, const ApiResponse &response, bool apiDefaults)
{
    if (!out.socket || out.socket->state() != QAbstractSocket::ConnectedState)
        return; // the client went away; nothing to answer
    QHttpServerResponder &responder = out.responder;

    const auto status = QHttpServerResponder::StatusCode(response.status);
    if (QMetaEnum::fromType<QHttpServerResponder::StatusCode>().valueToKey(response.status)) {
        responder.writeStatusLine(status);
    } else {
        out.socket->write("HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n");
    }

    bool hasContentType = false;
    bool hasCacheControl = false;
    for (const auto &h : response.headers) {
        const QByteArray lower = h.first.toLower();
        if (lower == "content-length")
            continue; // always computed below: Qt 6.4 clients wait forever on a wrong length
        hasContentType |= lower == "content-type";
        hasCacheControl |= lower == "cache-control";
        responder.writeHeader(h.first, h.second);
    }
    if (!hasContentType)
        responder.writeHeader("Content-Type", "application/json; charset=utf-8");
    if (apiDefaults && !hasCacheControl)
        responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("Content-Length", QByteArray::number(response.body.size()));
    responder.writeBody(response.body); // also ends the header block
}

} // namespace

LocalService::Server::Server(LocalService *owner, ServiceState &state)
    : context{state, sessions}
    , m_owner(owner)
{
    registerRoutes(router, context);
}

LocalService::Server::~Server() = default;

bool LocalService::Server::listenOn(const QHostAddress &address, quint16 port)
{
    if (m_tcp) {
        m_error = QStringLiteral("already listening");
        return false;
    }
    auto *tcp = new QTcpServer;
    if (!tcp->listen(address, port)) {
        m_error = tcp->errorString();
        delete tcp;
        return false;
    }
    bind(tcp); // takes ownership
    m_tcp = tcp;
    m_error.clear();
    return true;
}

quint16 LocalService::Server::port() const
{
    return m_tcp ? m_tcp->serverPort() : 0;
}

QHostAddress LocalService::Server::address() const
{
    return m_tcp ? m_tcp->serverAddress() : QHostAddress();
}

void LocalService::Server::script(const QByteArray &method, const QString &path,
                                  const ScriptedReply &reply)
{
    const QByteArray upper = method.toUpper();
    if (reply.times == 0)
        return;
    // Replies for one method and path form a queue. An unlimited reply at its end would shadow
    // anything queued after it, so a new script replaces it.
    for (qsizetype i = m_scripts.size() - 1; i >= 0; --i) {
        const ScriptEntry &e = m_scripts.at(i);
        if (e.method == upper && e.path == path) {
            if (e.reply.times < 0)
                m_scripts.removeAt(i);
            break;
        }
    }
    m_scripts.append({upper, path, reply});
}

std::optional<ScriptedReply> LocalService::Server::takeScript(const QByteArray &method,
                                                              const QString &path)
{
    for (qsizetype i = 0; i < m_scripts.size(); ++i) {
        ScriptEntry &e = m_scripts[i];
        if (e.method != method || e.path != path)
            continue;
        ScriptedReply reply = e.reply;
        if (e.reply.times > 0 && --e.reply.times == 0)
            m_scripts.removeAt(i);
        return reply;
    }
    return std::nullopt;
}

RecordedRequest LocalService::Server::record(const QHttpServerRequest &request,
                                             QTcpSocket *socket) const
{
    RecordedRequest rec;
    rec.method = methodName(request.method());
    const QUrl url = request.url();
    rec.path = url.path();
    rec.query = url.query(QUrl::FullyEncoded);
    rec.body = request.body();

    HeaderList parsed;
    for (const auto &h : request.headers())
        parsed.append({h.first.toLower(), h.second});

    rec.headers = parsed;
    return rec;
}

Reply LocalService::Server::makeReply(const QHttpServerRequest &request, QTcpSocket *socket,
                                      bool apiDefaults)
{
    auto out = std::make_shared<Outgoing>(socket, makeResponder(request, socket));
    QPointer<Server> self(this);
    return Reply([self, out, apiDefaults](const ApiResponse &response) {
        if (!self)
            return;
        if (response.delay.count() > 0) {
            QTimer::singleShot(response.delay, self.data(), [out, response, apiDefaults] {
                writeResponse(*out, response, apiDefaults);
            });
        } else {
            writeResponse(*out, response, apiDefaults);
        }
    });
}

bool LocalService::Server::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    const RecordedRequest rec = record(request, socket);
    log.append(rec);
    QPointer<Server> self(this);
    Q_EMIT m_owner->requestReceived(rec);
    if (!self)
        return true;

    if (const std::optional<ScriptedReply> scripted = takeScript(rec.method, rec.path)) {
        ApiResponse response;
        response.status = scripted->status;
        response.headers = scripted->headers;
        response.body = scripted->body;
        response.delay = scripted->delay;
        makeReply(request, socket, false).send(response);
        return true;
    }

    Reply reply = makeReply(request, socket, true);
    const Router::Match match = router.match(rec.method, request.url().path(QUrl::FullyEncoded));
    switch (match.kind) {
    case Router::Match::UnknownPath:
        reply.send(ApiResponse::error(
            404, QStringLiteral("Такого адреса у сервиса нет: %1 %2")
                     .arg(QString::fromLatin1(rec.method), rec.path)));
        return true;
    case Router::Match::WrongMethod:
        reply.send(ApiResponse::error(405, QStringLiteral("Метод %1 не поддерживается для %2.")
                                               .arg(QString::fromLatin1(rec.method), rec.path))
                       .withHeader("Allow", match.allowedMethods.join(QStringLiteral(", ")).toLatin1()));
        return true;
    case Router::Match::Found:
        break;
    }

    ApiRequest api;
    api.raw = rec;
    api.params = match.params;
    if (match.access == Access::Session) {
        const QByteArray token = api.cookie(cookieName()).value_or(QByteArray());
        const std::optional<qint64> user = sessions.userFor(token);
        if (!user) {
            reply.send(ApiResponse::error(401, texts::signInRequired()));
            return true;
        }
        api.sessionToken = token;
        api.userId = user;
    }
    (*match.handler)(api, reply);
    return true;
}

void LocalService::Server::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    // handleRequest answers everything itself; this is only a safety net.
    makeReply(request, socket, true)
        .send(ApiResponse::error(404, QStringLiteral("Такого адреса у сервиса нет.")));
}

} // namespace vexa::service

#include "server.moc"
