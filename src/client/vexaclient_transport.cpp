// Requests, replies and the mapping of every failure to the user's text.

#include "cookiestore.h"
#include "secretstore.h"
#include "serviceorigin.h"
#include "vexaclient.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>
#include <QCoro/QCoroNetworkReply>

namespace vexa {

namespace {

// Qt reports HTTP error statuses as reply errors too. Those in the content (4xx), protocol
// (400 Bad Request lands there) and server (5xx) ranges still carry a real HTTP reply; anything
// below is a failure of the connection itself.
bool isHttpLevelError(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::NoError
        || (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownServerError);
}

QString serverMessage(int status, const QByteArray &body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (document.isObject()) {
        const QJsonObject object = document.object();
        const QJsonValue error = object.value(QLatin1String("error"));
        // An empty text would make an empty alert: the status says more.
        if (error.isString() && !error.toString().trimmed().isEmpty())
            return error.toString();
    }
    return QStringLiteral("Ошибка сервера (HTTP %1).").arg(status);
}

QString notCompletedMessage()
{
    return QStringLiteral("Запрос не выполнен.");
}

// A refusal's own text, unless it has none to show.
QString serviceText(const std::optional<QString> &error)
{
    if (!error || error->trimmed().isEmpty())
        return notCompletedMessage();
    return *error;
}

PlatformError jsonFailure(const QJsonParseError &error)
{
    return {PlatformError::Source::Json, int(error.error),
            QStringLiteral("Ответ сервера не является JSON: %1.").arg(error.errorString())};
}

PlatformError networkFailure(QNetworkReply *reply, bool timedOut)
{
    if (timedOut)
        return {PlatformError::Source::Timeout, int(QNetworkReply::TimeoutError),
                QStringLiteral("Сервер не ответил вовремя. Проверьте подключение к интернету и "
                               "повторите попытку.")};
    return {PlatformError::Source::Network, int(reply->error()), reply->errorString()};
}

// Whether a path may go through utility(): under "/api/productivity/" or "/api/notices", judged
// on the path the service will see. Its segments are read percent-decoded, as a server reads
// them, and one that is "." or ".." (also "%2e%2e" or split by an encoded slash or a backslash)
// could lead the service elsewhere, so such a path is refused outright.
bool isUtilityPath(const QString &path)
{
    const qsizetype end = path.indexOf(QRegularExpression(QStringLiteral("[?#]")));
    const QString decoded = QUrl::fromPercentEncoding(path.left(end < 0 ? path.size() : end).toUtf8());
    const QStringList segments = decoded.split(QRegularExpression(QStringLiteral("[/\\\\]")));
    for (const QString &segment : segments) {
        if (segment == QLatin1String(".") || segment == QLatin1String(".."))
            return false;
    }
    return decoded.startsWith(QLatin1String("/api/productivity/"))
        || decoded == QLatin1String("/api/notices") || decoded.startsWith(QLatin1String("/api/notices/"));
}

} // namespace

std::chrono::milliseconds TransportTimeouts::idleFor(QStringView path) const
{
    if (path.startsWith(QLatin1String("/api/image/")))
        return imageIdle;
    if (path == QLatin1String("/api/chat"))
        return chatIdle;
    return idle;
}

VexaClient::VexaClient(QObject *parent) : QObject(parent)
{
    // The app keeps its session in the desktop's keyring where one answers.
    init(ServiceOrigin::configuredBaseURL(), PersistentCookieJar::defaultFilePath(),
         SecretStore::system());
}

VexaClient::VexaClient(const QString &baseURL, const QString &cookieFilePath, QObject *parent)
    : QObject(parent)
{
    init(baseURL, cookieFilePath, nullptr);
}

VexaClient::VexaClient(const QString &baseURL, const QString &cookieFilePath,
                       std::shared_ptr<SecretStore> secrets, QObject *parent)
    : QObject(parent)
{
    init(baseURL, cookieFilePath, std::move(secrets));
}

VexaClient::~VexaClient() = default;

void VexaClient::init(const QString &baseURL, const QString &cookieFilePath,
                      std::shared_ptr<SecretStore> secrets)
{
    auto origin = ServiceOrigin::validate(baseURL);
    if (origin)
        m_baseURL = *origin;
    else
        m_originError = origin.error();

    QNetworkProxyFactory::setUseSystemConfiguration(true);
    m_network = new QNetworkAccessManager(this);
    m_cookies = new PersistentCookieJar(cookieFilePath, std::move(secrets), this);
    m_network->setCookieJar(m_cookies); // the manager owns the jar from here on
    m_network->setTransferTimeout(int(m_timeouts.sessionIdle.count()));
}

QUrl VexaClient::telegramURL()
{
    return QUrl(ServiceOrigin::telegramURL());
}

QCoro::Task<Result<QByteArray>> VexaClient::requestData(QString path, QByteArray method,
                                                        std::optional<RequestBody> body)
{
    if (m_baseURL.isEmpty())
        co_return ClientError(PlatformError{PlatformError::Source::Configuration, 0, m_originError});

    // Resolve against the origin; a path that would leave it (for example "//other.host/x")
    // cannot form a request to the service, so nothing is sent.
    const QUrl relative(path, QUrl::StrictMode);
    const QUrl url = m_baseURL.resolved(relative);
    if (!relative.isValid() || !url.isValid() || url.scheme() != m_baseURL.scheme()
        || url.host() != m_baseURL.host() || url.port() != m_baseURL.port())
        co_return ClientError(VexaError::invalidResponse());

    QPointer<VexaClient> self(this);
    if (m_cookies->isLoading()) {
        // The session is still on its way from the keyring; without it this would go out
        // signed out.
        co_await m_cookies->loaded();
        if (!self)
            co_return ClientError(VexaError::invalidResponse());
    }

    QNetworkRequest request(url);
    request.setTransferTimeout(int(m_timeouts.idleFor(path).count()));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Accept", "application/json");
    request.setRawHeader("Origin", m_baseURL.toString(QUrl::FullyEncoded).toUtf8());
    QByteArray payload;
    if (body) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        payload = body->json();
    }

    QNetworkReply *reply = body ? m_network->sendCustomRequest(request, method, payload)
                                : m_network->sendCustomRequest(request, method);

    // The idle timeout is the request's transfer timeout; the overall limit is ours.
    QTimer resourceLimit;
    resourceLimit.setSingleShot(true);
    QObject::connect(&resourceLimit, &QTimer::timeout, reply, &QNetworkReply::abort);
    resourceLimit.start(m_timeouts.resourceLimit);
    if (!reply->isFinished())
        co_await reply;
    resourceLimit.stop();
    reply->deleteLater();
    if (!self)
        co_return ClientError(VexaError::invalidResponse());

    const QNetworkReply::NetworkError error = reply->error();
    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusAttribute.isValid() || !isHttpLevelError(error)) {
        if (error == QNetworkReply::NoError)
            co_return ClientError(VexaError::invalidResponse()); // no HTTP reply at all
        // Nothing in the client cancels a request: a cancelled reply ran out of time, either
        // idle (Qt's transfer timeout) or overall (our limit).
        const bool transferTimedOut = error == QNetworkReply::TimeoutError
            || error == QNetworkReply::OperationCanceledError;
        co_return ClientError(networkFailure(reply, transferTimedOut));
    }

    const int status = statusAttribute.toInt();
    const QByteArray bytes = reply->readAll();
    if (status == 401) {
        signOut();
        co_return ClientError(VexaError::unauthenticated());
    }
    if (status >= 200 && status <= 299)
        co_return bytes;
    co_return ClientError(VexaError::server(serverMessage(status, bytes)));
}

QCoro::Task<Result<VexaResponse>> VexaClient::request(QString path, std::optional<RequestBody> body,
                                                      std::optional<QByteArray> method)
{
    const QByteArray verb = method.value_or(body ? QByteArrayLiteral("POST") : QByteArrayLiteral("GET"));
    auto bytes = co_await requestData(std::move(path), verb, std::move(body));
    if (!bytes)
        co_return bytes.error();
    // A large envelope (a picture's data URL, a long answer) is decoded on the pool.
    auto envelope = co_await decodeReplyAsync<VexaResponse>(std::move(*bytes));
    if (!envelope)
        co_return envelope;
    if (!envelope->ok)
        co_return ClientError(VexaError::server(serviceText(envelope->error)));
    co_return envelope;
}

QCoro::Task<Result<QJsonObject>> VexaClient::utility(QString path, std::optional<QJsonObject> body,
                                                     std::optional<QByteArray> method)
{
    if (!isUtilityPath(path))
        co_return ClientError(VexaError::invalidResponse());
    const QByteArray verb = method.value_or(body ? QByteArrayLiteral("POST") : QByteArrayLiteral("GET"));
    auto bytes = co_await requestData(std::move(path), verb, std::move(body));
    if (!bytes)
        co_return bytes.error();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        co_return ClientError(jsonFailure(parseError));
    if (!document.isObject())
        co_return ClientError(VexaError::invalidResponse());
    co_return document.object();
}

} // namespace vexa
