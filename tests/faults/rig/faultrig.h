#pragma once

// The hostile cases the client must survive, shared by the fault tests and bench_faults: one
// rig with the local service, a raw misbehaving server, a TLS server and two bystanders on
// other origins, set up for one case at a time. Each case says which origin the client talks
// to and the exact text the user must be shown; afterwards the rig tells whether any request
// reached somewhere it must not (another origin, or a server whose certificate was refused).

#include "hostileserver.h"
#include "localservice.h"
#include "testcertificates.h"
#include "vexaclient.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTcpServer>
#include <QTimer>

#include <memory>

namespace vexa::faults {

enum class Case {
    // Hostile.
    ConnectionRefused,
    HostNotFound,
    ServerErrorWithText,
    ServerErrorWithoutText,
    RateLimited,
    RateLimitedWithWait,
    RateLimitedWithText,
    MalformedJson,
    WrongMemberTypes,
    StallBeforeReply,
    StallInBody,
    BodyCutShort,
    HugeDeclaredBody,
    HugeStreamedBody,
    RedirectToAnotherPort,
    RedirectToAnotherHost,
    RedirectToAnotherHostName,
    RedirectToPlainHttp,
    SelfSignedCertificate,
    ExpiredCertificate,
    CertificateForAnotherHost,
    // Controls: the rig's servers do serve a client that follows the rules.
    RedirectWithinOrigin,
    TrustedCertificate,
};

struct CaseInfo {
    Case id;
    const char *name;
};
QList<CaseInfo> hostileCases();
QList<CaseInfo> controlCases();

struct Arrangement {
    QString origin;  // the client's service origin
    QString message; // exactly what the user is told; empty: the request must succeed
};

class FaultRig
{
public:
    // The size of the bodies of the "huge" cases: far past the client's cap.
    static constexpr qint64 kHugeBodyBytes = 512LL * 1024 * 1024;

    FaultRig();
    ~FaultRig();

    // Empty when every server and certificate is ready; otherwise what is missing.
    QString setupError() const { return m_setupError; }

    // Readies the servers for one case and forgets earlier requests. Every path the client
    // may use (GET /api/state, POST /api/chat, anything on the raw servers) gets the case.
    Arrangement arrange(Case id);
    // The same for a case of the test's own: the local service answers with this reply.
    Arrangement arrangeReply(const service::ScriptedReply &reply);
    // Puts the case's session cookie into the client's jar, as a sign-in would have.
    void giveSession(VexaClient &client) const;
    bool hasSession(const VexaClient &client) const;
    // Short idle timeouts, so the stall cases end in well under a second (stretched by
    // VEXA_TIMEOUT_SCALE, as a slow build's TLS handshakes alone take longer).
    static TransportTimeouts timeouts();

    // Requests that reached a server they must not have since arrange(): another origin, or the
    // origin itself when its certificate was to be refused. Described one a line; empty is right.
    QStringList strayRequests() const;
    // Whether the session cookie's value showed up in any of those.
    bool sessionLeaked() const;

    service::LocalService &service() { return m_service; }
    HostileServer &anotherPort() { return m_anotherPort; }
    HostileServer &anotherHost() { return m_anotherHost; }
    HostileServer &raw() { return m_raw; }
    HostileServer &tls() { return m_tls; }

private:
    struct Stray {
        QString description;
        bool withSession = false;
    };
    QList<Stray> strays() const;
    void scriptService(const service::ScriptedReply &reply);

    service::LocalService m_service;
    HostileServer m_raw;         // 127.0.0.1, plain HTTP
    HostileServer m_tls;         // 127.0.0.1, TLS with the case's certificate
    HostileServer m_anotherPort; // 127.0.0.1, another port: a bystander
    HostileServer m_anotherHost; // 127.0.0.2: a bystander on another host
    quint16 m_closedPort = 0;
    std::optional<TestCertificates> m_certificates;
    QString m_setupError;

    enum class Origin { None, Service, Raw, Tls } m_origin = Origin::None;
    QString m_originAuthority;        // "host:port" the origin's requests must name
    bool m_originMayBeReached = true; // false when the certificate must stop everything
    QUrl m_originUrl;
    QByteArray m_secret;              // the session cookie's value for this case
};


} // namespace vexa::faults
