#pragma once

#include <QString>

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
    enum class Source { Network, Timeout, File, Json, Configuration };
    Source source = Source::Network;
    int code = 0;         // QNetworkReply::NetworkError, QFileDevice::FileError, ...
    QString description;
    bool operator==(const PlatformError &) const = default;
};

using ClientError = std::variant<VexaError, PlatformError>;

QString describe(const ClientError &error);
bool isUnauthenticated(const ClientError &error);
bool isInvalidResponse(const ClientError &error);

} // namespace vexa
