#pragma once

#include <QString>

#include <optional>
#include <variant>

namespace vexa {

// The client's own failures. description() is exactly what the user is shown.
class VexaError
{
public:
    enum class Case { Server, InvalidResponse, Unauthenticated };

    static VexaError server(QString message) { return VexaError(Case::Server, std::move(message)); }
    static VexaError invalidResponse() { return VexaError(Case::InvalidResponse, {}); }
    static VexaError unauthenticated() { return VexaError(Case::Unauthenticated, {}); }

    Case kind() const { return m_case; }
    QString description() const;
    bool operator==(const VexaError &) const = default;

private:
    VexaError(Case c, QString message) : m_case(c), m_message(std::move(message)) {}
    Case m_case;
    QString m_message; // Server only
};

// A failure that did not come from the client's own rules: the network, a file, the JSON
// parser. It keeps the description the platform gave it.
struct PlatformError {
    // Tls: the server's certificate was refused; TooLarge: the reply passed the size cap;
    // Redirect: the server sent the request away from the service's origin.
    enum class Source { Network, Timeout, File, Json, Configuration, Tls, TooLarge, Redirect };
    Source source = Source::Network;
    int code = 0;         // QNetworkReply::NetworkError, QFileDevice::FileError, ...
    QString description;
    bool operator==(const PlatformError &) const = default;
};

using ClientError = std::variant<VexaError, PlatformError>;

// What the user is told when a request fails below the service's own answers: the connection,
// the certificate, a redirect or the reply's size. Every text says what happened and what to
// do; none is Qt's own wording.
namespace client {
QString timedOut();
QString connectionRefused();
QString hostNotFound(const QString &host);
// The connection broke before the whole reply arrived (a body cut short, a server that hung up).
QString connectionLost();
QString offline();
// Anything else the network reports: Qt's (translated) text after ours.
QString otherNetworkFailure(const QString &platformText);

enum class TlsProblem { Expired, Untrusted, WrongHost, Other };
// The request never left: the connection stopped at the certificate.
QString tlsRefused(TlsProblem problem);

QString tooLarge(qint64 limitBytes);
// A redirect off the service's origin, or one that a request which must not be repeated got.
QString redirectRefused();
QString tooManyRedirects();
} // namespace client

QString describe(const ClientError &error);
bool isUnauthenticated(const ClientError &error);
bool isInvalidResponse(const ClientError &error);

} // namespace vexa
