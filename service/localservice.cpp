#include "localservice.h"

#include "server_p.h"
#include "servicestate.h"

namespace vexa::service {

QByteArray RecordedRequest::header(const QByteArray &lowerCaseName) const
{
    for (const auto &h : headers) {
        if (h.first == lowerCaseName)
            return h.second;
    }
    return {};
}

bool RecordedRequest::hasHeader(const QByteArray &lowerCaseName) const
{
    for (const auto &h : headers) {
        if (h.first == lowerCaseName)
            return true;
    }
    return false;
}

LocalService::LocalService(QObject *parent)
    : QObject(parent)
    , m_state(std::make_unique<ServiceState>())
    , m_server(std::make_unique<Server>(this, *m_state))
{
    qRegisterMetaType<vexa::service::RecordedRequest>();
}

LocalService::~LocalService() = default;

bool LocalService::listen(const QHostAddress &address, quint16 port)
{
    return m_server->listenOn(address, port);
}

quint16 LocalService::port() const
{
    return m_server->port();
}

QString LocalService::errorString() const
{
    return m_server->errorString();
}

QUrl LocalService::baseUrl() const
{
    QHostAddress host = m_server->address();
    if (host == QHostAddress::Any || host == QHostAddress::AnyIPv4 || host.isNull())
        host = QHostAddress(QHostAddress::LocalHost);
    else if (host == QHostAddress::AnyIPv6)
        host = QHostAddress(QHostAddress::LocalHostIPv6);
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host.toString());
    url.setPort(port());
    return url;
}

QString LocalService::issueCode()
{
    return m_server->sessions.issueCode();
}

void LocalService::setFixedCode(const QString &code)
{
    m_server->sessions.setFixedCode(code);
}

QString LocalService::fixedCode() const
{
    return m_server->sessions.fixedCode();
}

std::chrono::seconds LocalService::codeLifetime() const
{
    return m_server->sessions.codeLifetime();
}

void LocalService::setCodeLifetime(std::chrono::seconds lifetime)
{
    m_server->sessions.setCodeLifetime(lifetime);
}

void LocalService::setClock(std::function<QDateTime()> clock)
{
    m_server->sessions.setClock(std::move(clock));
}

QByteArray LocalService::createSession()
{
    return m_server->sessions.createSession(m_state->userId);
}

QByteArray LocalService::cookieName()
{
    return QByteArrayLiteral("vexa_session");
}

void LocalService::endSessions()
{
    m_server->sessions.endAllSessions();
}

void LocalService::script(const QByteArray &method, const QString &path, const ScriptedReply &reply)
{
    m_server->script(method, path, reply);
}

void LocalService::clearScripts()
{
    m_server->clearScripts();
}

QList<RecordedRequest> LocalService::requests() const
{
    return m_server->log;
}

QList<RecordedRequest> LocalService::requests(const QString &path) const
{
    QList<RecordedRequest> out;
    for (const RecordedRequest &r : m_server->log) {
        if (r.path == path)
            out.append(r);
    }
    return out;
}

void LocalService::clearRequests()
{
    m_server->log.clear();
}

ServiceState &LocalService::state()
{
    return *m_state;
}

} // namespace vexa::service
