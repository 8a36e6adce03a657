#include "faultrig.h"

#include "awaittask.h"
#include "cookiestore.h"
#include "replylimits.h"

#include <QNetworkCookie>
#include <QRandomGenerator>

namespace vexa::faults {

namespace {

// What a server that is not the origin answers: a success, so that a client that followed a
// redirect there would not even fail.
QByteArray bystanderBody()
{
    return QByteArrayLiteral(R"({"ok":true,"answer":"Ответ чужого сервера"})");
}

QByteArray successBody()
{
    return QByteArrayLiteral(R"({"ok":true,"answer":"Ответ сервиса"})");
}

// A real reply of a few kilobytes, for the cases that deliver only part of it.
QByteArray longAnswer()
{
    return QByteArrayLiteral(R"({"ok":true,"answer":")") + QByteArray(4000, 'a') + QByteArrayLiteral(R"("})");
}

service::ScriptedReply scripted(int status, QByteArray body,
                                QList<QPair<QByteArray, QByteArray>> headers = {})
{
    service::ScriptedReply reply;
    reply.status = status;
    reply.body = std::move(body);
    reply.headers = std::move(headers);
    return reply;
}

QString authority(const QUrl &url)
{
    return url.host() + u':' + QString::number(url.port());
}

} // namespace

QList<CaseInfo> hostileCases()
{
    return {
        {Case::ConnectionRefused, "connection refused"},
        {Case::HostNotFound, "host not found"},
        {Case::ServerErrorWithText, "500 with the service's text"},
        {Case::ServerErrorWithoutText, "500 without a text"},
        {Case::RateLimited, "429"},
        {Case::RateLimitedWithWait, "429 with Retry-After"},
        {Case::RateLimitedWithText, "429 with the service's text"},
        {Case::MalformedJson, "malformed JSON"},
        {Case::WrongMemberTypes, "wrong member types"},
        {Case::StallBeforeReply, "stall before the reply"},
        {Case::StallInBody, "stall in the body"},
        {Case::BodyCutShort, "body cut short"},
        {Case::HugeDeclaredBody, "huge body, declared"},
        {Case::HugeStreamedBody, "huge body, streamed without a length"},
        {Case::RedirectToAnotherPort, "redirect to another port"},
        {Case::RedirectToAnotherHost, "redirect to another host"},
        {Case::RedirectToAnotherHostName, "redirect to another host name"},
        {Case::RedirectToPlainHttp, "redirect from https to plain http"},
        {Case::SelfSignedCertificate, "self-signed certificate"},
        {Case::ExpiredCertificate, "expired certificate"},
        {Case::CertificateForAnotherHost, "certificate for another host"},
    };
}

QList<CaseInfo> controlCases()
{
    return {
        {Case::RedirectWithinOrigin, "redirect within the origin"},
        {Case::TrustedCertificate, "trusted certificate"},
    };
}

FaultRig::FaultRig()
{
    QStringList missing;
    if (!m_service.listen())
        missing << QStringLiteral("the local service");
    if (!m_raw.listen())
        missing << QStringLiteral("the raw server");
    if (!m_tls.listen())
        missing << QStringLiteral("the TLS server");
    if (!m_anotherPort.listen())
        missing << QStringLiteral("the bystander on another port");
    if (!m_anotherHost.listen(QHostAddress(QStringLiteral("127.0.0.2"))))
        missing << QStringLiteral("the bystander on 127.0.0.2");
    {
        // A port that was free a moment ago and that nobody listens on now.
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost, 0))
            m_closedPort = probe.serverPort();
        else
            missing << QStringLiteral("a closed port");
    }
    QString certificateError;
    m_certificates = TestCertificates::make(&certificateError);
    if (m_certificates)
        m_certificates->trustAuthority();
    else
        missing << QStringLiteral("certificates (%1)").arg(certificateError);
    if (!missing.isEmpty())
        m_setupError = QStringLiteral("not ready: ") + missing.join(QStringLiteral(", "));
}

FaultRig::~FaultRig() = default;

TransportTimeouts FaultRig::timeouts()
{
    const std::chrono::milliseconds idle(vexa::test::scaledMs(400));
    TransportTimeouts t;
    t.sessionIdle = idle;
    t.idle = idle;
    t.chatIdle = idle;
    t.imageIdle = idle;
    return t;
}

void FaultRig::scriptService(const service::ScriptedReply &reply)
{
    m_service.script("GET", QStringLiteral("/api/state"), reply);
    m_service.script("POST", QStringLiteral("/api/chat"), reply);
}

Arrangement FaultRig::arrange(Case id)
{
    m_service.clearScripts();
    m_service.clearRequests();
    for (HostileServer *server : {&m_raw, &m_tls, &m_anotherPort, &m_anotherHost}) {
        server->clearHits();
        server->setBehaviour(Behaviour::reply(200, bystanderBody()));
    }
    m_tls.setTls(m_certificates ? std::optional<TlsIdentity>(m_certificates->valid) : std::nullopt);
    m_originMayBeReached = true;
    m_secret = QByteArrayLiteral("faults-") + QByteArray::number(QRandomGenerator::global()->generate64(), 16);

    Arrangement out;
    const auto useService = [&] {
        m_origin = Origin::Service;
        m_secret = m_service.createSession();
        out.origin = m_service.baseUrl().toString();
    };
    const auto useRaw = [&] {
        m_origin = Origin::Raw;
        out.origin = m_raw.origin();
    };
    const auto useTls = [&](const QString &host) {
        m_origin = Origin::Tls;
        m_tls.setBehaviour(Behaviour::reply(200, successBody()));
        out.origin = m_tls.origin(QStringLiteral("https"), host);
    };
    const QString elsewhere = QStringLiteral("/api/elsewhere");
    const QString invalid = VexaError::invalidResponse().description();

    switch (id) {
    case Case::ConnectionRefused:
        m_origin = Origin::None;
        out.origin = QStringLiteral("http://127.0.0.1:%1").arg(m_closedPort);
        out.message = client::connectionRefused();
        break;
    case Case::HostNotFound:
        // .invalid never resolves (RFC 2606).
        m_origin = Origin::None;
        out.origin = QStringLiteral("https://vexa-faults.invalid");
        out.message = client::hostNotFound(QStringLiteral("vexa-faults.invalid"));
        break;
    case Case::ServerErrorWithText:
        useService();
        scriptService(scripted(500, QStringLiteral(R"({"ok":false,"error":"Сервис перегружен, попробуйте через минуту."})").toUtf8()));
        out.message = QStringLiteral("Сервис перегружен, попробуйте через минуту.");
        break;
    case Case::ServerErrorWithoutText:
        useService();
        scriptService(scripted(500, "<html><body>Internal Server Error</body></html>",
                               {{"Content-Type", "text/html"}}));
        out.message = QStringLiteral("Ошибка сервера (HTTP 500).");
        break;
    case Case::RateLimited:
        useService();
        scriptService(scripted(429, QByteArray()));
        out.message = QStringLiteral("Ошибка сервера (HTTP 429).");
        break;
    case Case::RateLimitedWithWait:
        useService();
        scriptService(scripted(429, R"({"ok":false})", {{"Retry-After", "30"}}));
        out.message = QStringLiteral("Ошибка сервера (HTTP 429)."); // the wait is not shown
        break;
    case Case::RateLimitedWithText:
        useService();
        scriptService(scripted(429, QStringLiteral(R"({"ok":false,"error":"Лимит запросов на сегодня исчерпан."})").toUtf8()));
        out.message = QStringLiteral("Лимит запросов на сегодня исчерпан.");
        break;
    case Case::MalformedJson:
        useService();
        scriptService(scripted(200, R"({"ok":true,"answer":"Прив)"));
        out.message = invalid;
        break;
    case Case::WrongMemberTypes:
        useService();
        scriptService(scripted(200, R"({"ok":"true","answer":42,"state":[]})"));
        out.message = invalid;
        break;
    case Case::StallBeforeReply: {
        useRaw();
        Behaviour b;
        b.kind = Behaviour::Kind::Silent;
        m_raw.setBehaviour(b);
        out.message = client::timedOut();
        break;
    }
    case Case::StallInBody: {
        useRaw();
        Behaviour b = Behaviour::reply(200, longAnswer());
        b.kind = Behaviour::Kind::StallInBody;
        m_raw.setBehaviour(b);
        out.message = client::timedOut();
        break;
    }
    case Case::BodyCutShort: {
        useRaw();
        Behaviour b = Behaviour::reply(200, longAnswer());
        b.kind = Behaviour::Kind::CutShort;
        m_raw.setBehaviour(b);
        out.message = client::connectionLost();
        break;
    }
    case Case::HugeDeclaredBody:
    case Case::HugeStreamedBody: {
        useRaw();
        Behaviour b;
        b.kind = Behaviour::Kind::Stream;
        b.streamBytes = kHugeBodyBytes;
        b.declareLength = id == Case::HugeDeclaredBody;
        m_raw.setBehaviour(b);
        out.message = client::tooLarge(kMaxReplyBytes);
        break;
    }
    case Case::RedirectToAnotherPort:
        useService();
        scriptService(scripted(302, {}, {{"Location", (m_anotherPort.origin() + elsewhere).toUtf8()}}));
        out.message = client::redirectRefused();
        break;
    case Case::RedirectToAnotherHost:
        useService();
        scriptService(scripted(307, {}, {{"Location", (m_anotherHost.origin() + elsewhere).toUtf8()}}));
        out.message = client::redirectRefused();
        break;
    case Case::RedirectToAnotherHostName:
        // The service itself under another name: cookies would not follow, the request would.
        useService();
        scriptService(scripted(301, {}, {{"Location", QStringLiteral("http://localhost:%1%2")
                                                          .arg(m_service.port()).arg(elsewhere).toUtf8()}}));
        out.message = client::redirectRefused();
        break;
    case Case::RedirectToPlainHttp:
        useTls(QStringLiteral("127.0.0.1"));
        m_tls.setBehaviour(Behaviour::reply(302, {}, {{"Location", (m_anotherPort.origin() + elsewhere).toUtf8()}}));
        out.message = client::redirectRefused();
        break;
    case Case::SelfSignedCertificate:
        useTls(QStringLiteral("127.0.0.1"));
        if (m_certificates)
            m_tls.setTls(m_certificates->selfSigned);
        m_originMayBeReached = false;
        out.message = client::tlsRefused(client::TlsProblem::Untrusted);
        break;
    case Case::ExpiredCertificate:
        useTls(QStringLiteral("127.0.0.1"));
        if (m_certificates)
            m_tls.setTls(m_certificates->expired);
        m_originMayBeReached = false;
        out.message = client::tlsRefused(client::TlsProblem::Expired);
        break;
    case Case::CertificateForAnotherHost:
        // The certificate names 127.0.0.1 only.
        useTls(QStringLiteral("localhost"));
        m_originMayBeReached = false;
        out.message = client::tlsRefused(client::TlsProblem::WrongHost);
        break;
    case Case::RedirectWithinOrigin:
        useService();
        m_service.script("GET", QStringLiteral("/api/state"),
                         scripted(302, {}, {{"Location", "/api/moved"}}));
        m_service.script("GET", QStringLiteral("/api/moved"), scripted(200, successBody()));
        m_service.script("POST", QStringLiteral("/api/chat"),
                         scripted(307, {}, {{"Location", "/api/moved"}}));
        m_service.script("POST", QStringLiteral("/api/moved"), scripted(200, successBody()));
        break;
    case Case::TrustedCertificate:
        useTls(QStringLiteral("127.0.0.1"));
        break;
    }
    m_originUrl = QUrl(out.origin);
    m_originAuthority = authority(m_originUrl);
    return out;
}

Arrangement FaultRig::arrangeReply(const service::ScriptedReply &reply)
{
    // Arranged as a case the service itself answers, then with the test's reply instead.
    const Arrangement served = arrange(Case::ServerErrorWithText);
    m_service.clearScripts();
    scriptService(reply);
    return Arrangement{served.origin, QString()};
}

void FaultRig::giveSession(VexaClient &client) const
{
    QNetworkCookie cookie(service::LocalService::cookieName(), m_secret);
    cookie.setPath(QStringLiteral("/"));
    client.cookieJar()->setCookiesFromUrl({cookie}, m_originUrl);
}

bool FaultRig::hasSession(const VexaClient &client) const
{
    const auto cookies = client.cookieJar()->cookiesForUrl(m_originUrl);
    return std::any_of(cookies.begin(), cookies.end(),
                       [this](const QNetworkCookie &c) { return c.value() == m_secret; });
}

QList<FaultRig::Stray> FaultRig::strays() const
{
    QList<Stray> out;
    const auto add = [&](const QString &where, const QByteArray &method, const QString &target,
                         const QByteArray &host, const QByteArray &cookie) {
        out.append({QStringLiteral("%1: %2 %3 (Host %4)%5")
                        .arg(where, QString::fromLatin1(method), target, QString::fromLatin1(host),
                             cookie.contains(m_secret) ? QStringLiteral(" with the session cookie")
                                                       : QString()),
                    cookie.contains(m_secret)});
    };
    const QByteArray expectedHost = m_originAuthority.toUtf8();
    for (const auto &request : m_service.requests()) {
        const QByteArray host = request.header("host");
        if (m_origin != Origin::Service || host != expectedHost)
            add(QStringLiteral("local service"), request.method, request.path, host, request.header("cookie"));
    }
    const auto check = [&](const HostileServer &server, const QString &name, bool isOrigin) {
        for (const Hit &hit : server.hits()) {
            const QByteArray host = hit.header("host");
            if (!isOrigin || !m_originMayBeReached || host != expectedHost)
                add(name, hit.method, QString::fromLatin1(hit.target), host, hit.header("cookie"));
        }
    };
    check(m_raw, QStringLiteral("raw server"), m_origin == Origin::Raw);
    check(m_tls, QStringLiteral("TLS server"), m_origin == Origin::Tls);
    check(m_anotherPort, QStringLiteral("server on another port"), false);
    check(m_anotherHost, QStringLiteral("server on 127.0.0.2"), false);
    return out;
}

QStringList FaultRig::strayRequests() const
{
    QStringList out;
    for (const Stray &stray : strays())
        out.append(stray.description);
    return out;
}

bool FaultRig::sessionLeaked() const
{
    const auto all = strays();
    return std::any_of(all.begin(), all.end(), [](const Stray &s) { return s.withSession; });
}

} // namespace vexa::faults
