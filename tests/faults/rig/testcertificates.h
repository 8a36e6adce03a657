#pragma once

// Certificates for the TLS fault cases, made with the openssl tool when the rig starts: a test
// authority, a certificate it signed for 127.0.0.1, one it signed that has already expired, and
// a self-signed one. Qt cannot make certificates itself.

#include "hostileserver.h"

#include <QSslCertificate>
#include <QString>

#include <optional>

namespace vexa::faults {

struct TestCertificates {
    QSslCertificate authority;
    TlsIdentity valid;      // signed by the authority, for IP 127.0.0.1, valid for 30 days
    TlsIdentity expired;    // signed by the authority, for IP 127.0.0.1, ended yesterday
    TlsIdentity selfSigned; // for IP 127.0.0.1, signed by its own key

    // Made in a temporary folder; the error says what failed (no openssl, a failed step).
    static std::optional<TestCertificates> make(QString *error);

    // Lets this process trust the test authority (Qt's default configuration, used by every
    // request made afterwards); the system's authorities stay trusted too.
    void trustAuthority() const;
};

} // namespace vexa::faults
