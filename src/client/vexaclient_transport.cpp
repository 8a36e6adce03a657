// Requests, replies and the mapping of every failure to the user's text.

#include "cookiestore.h"
#include "jsonreader.h"
#include "replylimits.h"
#include "secretstore.h"
#include "serviceorigin.h"
#include "vexaclient.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSslError>
#include <QTimer>
#include <QCoro/QCoroNetworkReply>

#include <algorithm>
#include <memory>
#include <utility>

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

// The service's own "error" text, else the status; a 429 is no exception (a Retry-After says
// nothing the user is shown).
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

// The parser's own text is English and means nothing to the user; its code stays for the log.
PlatformError jsonFailure(const QJsonParseError &error)
{
    return {PlatformError::Source::Json, int(error.error),
            QStringLiteral("Не удалось прочитать ответ сервера: он не в формате JSON. "
                           "Повторите попытку.")};
}

// A quarter of a megabyte a turn of the event loop: copying it out (and touching the pages it
// lands on for the first time) stays well under a frame; a whole megabyte a turn did not.
constexpr qint64 kReadAheadBytes = 256 * 1024;

// Why the transport itself stopped a reply, if it did.
enum class Stop { None, TooLarge };

// What the transport learns about one reply while it is under way. The body is taken out of
// the reply as it arrives, so Qt's buffer never holds more than a chunk and the size cap can
// act on what has really been received (also after decompression, whatever Content-Length said).
//
// The body never grows by reallocation, whose copies of tens of megabytes would stall the main
// thread: with a Content-Length within the cap it is reserved once, without one the chunks
// are kept apart and joined at the end.
struct ReplyWatch {
    QByteArray body;
    QList<QByteArray> chunks;
    qint64 received = 0;
    bool reserved = false;
    Stop stop = Stop::None;
    QList<QSslError> sslErrors;

    void add(QByteArray chunk)
    {
        received += chunk.size();
        if (reserved)
            body.append(chunk);
        else
            chunks.append(std::move(chunk));
    }
    // Takes what the device holds. Into a reserved body it is read where it belongs, without a
    // chunk of its own to allocate, fill and copy again.
    void readFrom(QIODevice *device)
    {
        const qint64 available = device->bytesAvailable();
        if (available <= 0)
            return;
        if (reserved && body.capacity() - body.size() - records::JsonReader::kRoomToReadInPlace >= available) {
            const qsizetype at = body.size();
            body.resize(at + qsizetype(available)); // within the capacity: no reallocation
            const qint64 got = device->read(body.data() + at, available);
            body.resize(at + qsizetype(std::max<qint64>(got, 0)));
            received += std::max<qint64>(got, 0);
            return;
        }
        add(device->readAll());
    }
    void drop()
    {
        body = QByteArray();
        chunks.clear();
    }
    QByteArray take()
    {
        if (reserved || chunks.isEmpty())
            return std::move(body);
        if (chunks.size() == 1)
            return std::move(chunks.first());
        QByteArray joined;
        joined.reserve(received + records::JsonReader::kRoomToReadInPlace);
        for (const QByteArray &chunk : std::as_const(chunks))
            joined.append(chunk);
        chunks.clear();
        return joined;
    }
};

// Connects the watch to a reply that has not yet reached the event loop. An ordinary function:
// lambdas made inside a coroutine body miscompile with GCC 12.
std::shared_ptr<ReplyWatch> watchReply(QNetworkReply *reply, qint64 limit)
{
    auto watch = std::make_shared<ReplyWatch>();
    // Back-pressure: Qt's network thread stops reading from the socket while this much waits
    // for the main thread, instead of queueing everything a fast server sends.
    reply->setReadBufferSize(kReadAheadBytes);
    const auto stop = [reply, watch](Stop why) {
        if (watch->stop == Stop::None)
            watch->stop = why;
        watch->drop();
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, watch, stop, limit] {
        if (watch->stop != Stop::None)
            return;
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (!length.isValid())
            return;
        const qint64 bytes = length.toLongLong();
        if (bytes > limit) {
            stop(Stop::TooLarge);
        } else if (!watch->reserved && watch->received == 0 && bytes > 0) {
            // A compressed reply may inflate past its length; the body then grows as usual.
            watch->body.reserve(bytes + records::JsonReader::kRoomToReadInPlace);
            watch->reserved = true;
        }
    });
    QObject::connect(reply, &QIODevice::readyRead, reply, [reply, watch, stop, limit] {
        if (watch->stop != Stop::None)
            return;
        if (watch->received + reply->bytesAvailable() > limit) {
            stop(Stop::TooLarge);
            return;
        }
        watch->readFrom(reply);
    });
    // Nothing here ignores an error: the connection is refused, and the list says why.
    QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                     [watch](const QList<QSslError> &errors) { watch->sslErrors = errors; });
    return watch;
}

// The certificate problem the user can act on, most specific first.
client::TlsProblem tlsProblem(const QList<QSslError> &errors)
{
    using client::TlsProblem;
    const auto has = [&errors](std::initializer_list<QSslError::SslError> kinds) {
        return std::any_of(errors.begin(), errors.end(), [&kinds](const QSslError &error) {
            return std::find(kinds.begin(), kinds.end(), error.error()) != kinds.end();
        });
    };
    if (has({QSslError::CertificateExpired, QSslError::CertificateNotYetValid}))
        return TlsProblem::Expired;
    if (has({QSslError::HostNameMismatch}))
        return TlsProblem::WrongHost;
    if (has({QSslError::SelfSignedCertificate, QSslError::SelfSignedCertificateInChain,
             QSslError::UnableToGetLocalIssuerCertificate, QSslError::UnableToGetIssuerCertificate,
             QSslError::UnableToVerifyFirstCertificate, QSslError::CertificateUntrusted,
             QSslError::InvalidCaCertificate, QSslError::CertificateRejected}))
        return TlsProblem::Untrusted;
    return TlsProblem::Other;
}

// A reply that ended without an HTTP answer the client can use.
PlatformError networkFailure(QNetworkReply *reply, const ReplyWatch &watch, bool timedOut)
{
    using Source = PlatformError::Source;
    const int code = int(reply->error());
    if (watch.stop == Stop::TooLarge)
        return {Source::TooLarge, code, client::tooLarge(kMaxReplyBytes)};
    if (timedOut)
        return {Source::Timeout, int(QNetworkReply::TimeoutError), client::timedOut()};
    switch (reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
        return {Source::Network, code, client::connectionRefused()};
    case QNetworkReply::HostNotFoundError:
        return {Source::Network, code, client::hostNotFound(reply->url().host())};
    case QNetworkReply::RemoteHostClosedError:
        return {Source::Network, code, client::connectionLost()};
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return {Source::Network, code, client::offline()};
    case QNetworkReply::SslHandshakeFailedError:
        return {Source::Tls, code, client::tlsRefused(tlsProblem(watch.sslErrors))};
    case QNetworkReply::InsecureRedirectError:
        return {Source::Redirect, code, client::redirectRefused()};
    case QNetworkReply::TooManyRedirectsError:
        return {Source::Redirect, code, client::tooManyRedirects()};
    default:
        break;
    }
    return {Source::Network, code, client::otherNetworkFailure(reply->errorString())};
}

// A redirect that came back as the reply: the request was not to follow any.
bool isUnfollowedRedirect(QNetworkReply *reply, int status)
{
    return status >= 300 && status <= 399 && status != 304 && reply->hasRawHeader("Location");
}

// A redirect Qt did not follow: its target was elsewhere (policy) or not http(s) at all.
bool isRefusedRedirect(QNetworkReply::NetworkError error, int status)
{
    return status >= 300 && status <= 399
        && (error == QNetworkReply::InsecureRedirectError
            || error == QNetworkReply::ProtocolUnknownError
            || error == QNetworkReply::ProtocolFailure);
}

// A productivity or notices reply: any JSON object (those endpoints have no fixed record).
Result<QJsonObject> utilityObject(const QByteArray &bytes)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return ClientError(jsonFailure(parseError));
    if (!document.isObject())
        return ClientError(VexaError::invalidResponse());
    return document.object();
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

VexaClient::~VexaClient()
{
    // Requests still on their way end here, while every member is whole. The manager would
    // otherwise delete their replies without `finished`, and each awaiting coroutine (and every
    // caller up its chain, view models included) would stay suspended for good. Each one now
    // resumes with an error, finds the client closing, and ends; nothing new is sent.
    m_closing = true;
    m_cookieWaiters.resumeAll();
    m_chatsWaiters.resumeAll();
    const QList<QNetworkReply *> replies = m_network->findChildren<QNetworkReply *>(Qt::FindDirectChildrenOnly);
    for (QNetworkReply *reply : replies) {
        if (!reply->isFinished())
            reply->abort(); // emits finished at once
    }
}

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
    connect(m_cookies, &PersistentCookieJar::secretsLoaded, this, [this] { m_cookieWaiters.resumeAll(); });
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
    if (m_closing)
        co_return ClientError(VexaError::invalidResponse());

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
        co_await m_cookieWaiters.until(m_closing || !m_cookies->isLoading());
        if (m_closing)
            co_return ClientError(VexaError::invalidResponse());
    }

    QNetworkRequest request(url);
    request.setTransferTimeout(int(m_timeouts.idleFor(path).count()));
    // Redirects stay on the service's origin (scheme, host and port): Qt checks each hop before
    // sending it, so the session cookie (cookies ignore ports) goes nowhere else. A redirect
    // elsewhere ends the request as an error. Only a GET follows one at all: Qt 6.4 may send
    // the first request a second time before following (harmless for a GET, a duplicate
    // message for a POST, which then fails anyway on 307/308), and turns a POST into a GET
    // without its body on 301 to 303.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         method == "GET" ? QNetworkRequest::SameOriginRedirectPolicy
                                         : QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // A compressed reply is held to our cap on what it unpacks to (the watch counts unpacked
    // bytes as they arrive). Qt's own guard would instead end a reply of more than 10 MiB that
    // packs better than 40:1 (repetitive JSON can) with a content error after a 200.
    request.setDecompressedSafetyCheckThreshold(-1);
    request.setRawHeader("Accept", "application/json");
    request.setRawHeader("Origin", m_baseURL.toString(QUrl::FullyEncoded).toUtf8());
    QByteArray payload;
    if (body) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        payload = body->json();
    }

    QNetworkReply *reply = body ? m_network->sendCustomRequest(request, method, payload)
                                : m_network->sendCustomRequest(request, method);
    const std::shared_ptr<ReplyWatch> watch = watchReply(reply, kMaxReplyBytes);

    // The idle timeout is the request's transfer timeout; the overall limit is ours.
    QTimer resourceLimit;
    resourceLimit.setSingleShot(true);
    QObject::connect(&resourceLimit, &QTimer::timeout, reply, &QNetworkReply::abort);
    resourceLimit.start(m_timeouts.resourceLimit);
    if (!reply->isFinished())
        co_await reply;
    resourceLimit.stop();
    reply->deleteLater();
    if (!self || m_closing)
        co_return ClientError(VexaError::invalidResponse());

    const QNetworkReply::NetworkError error = reply->error();
    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    if (watch->stop == Stop::None
        && (isRefusedRedirect(error, status) || isUnfollowedRedirect(reply, status)))
        co_return ClientError(PlatformError{PlatformError::Source::Redirect, int(error),
                                            client::redirectRefused()});
    if (watch->stop != Stop::None || !statusAttribute.isValid() || !isHttpLevelError(error)) {
        if (error == QNetworkReply::NoError)
            co_return ClientError(VexaError::invalidResponse()); // no HTTP reply at all
        // Nothing else in the client cancels a request: a cancelled reply the watch did not
        // stop ran out of time, either idle (Qt's transfer timeout) or overall (our limit).
        const bool transferTimedOut = error == QNetworkReply::TimeoutError
            || error == QNetworkReply::OperationCanceledError;
        co_return ClientError(networkFailure(reply, *watch, transferTimedOut));
    }

    // A failure after a 2xx status line (a compressed body that does not unpack, say): what
    // arrived is not what was sent.
    if (error != QNetworkReply::NoError && status >= 200 && status <= 299)
        co_return ClientError(VexaError::invalidResponse());

    // What the watch has not taken yet: the last chunk may come with finished().
    if (watch->received + reply->bytesAvailable() > kMaxReplyBytes)
        co_return ClientError(PlatformError{PlatformError::Source::TooLarge, 0,
                                            client::tooLarge(kMaxReplyBytes)});
    watch->readFrom(reply);
    QByteArray bytes = watch->take();
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
    // A large reply (a multi-megabyte export, a long search) is parsed on the pool; the object
    // comes back sharing what was parsed.
    if (bytes->size() <= offthread::kDecodeInPlaceBytes)
        co_return utilityObject(*bytes);
    Result<QJsonObject> decoded = co_await offthread::run(&utilityObject, std::move(*bytes));
    co_return decoded;
}

} // namespace vexa
