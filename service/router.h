#pragma once

// The service's own small router and the types its endpoint handlers see.
// Each area of endpoints registers its routes from its own file (routes_*.cpp, see routes.h).

#include "localservice.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrlQuery>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace vexa::service {

// What an endpoint answers. Content-Length is always computed from `body` when sending.
struct ApiResponse {
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers; // Content-Type defaults to application/json
    QByteArray body;
    std::chrono::milliseconds delay{0};           // simulated latency, without blocking the loop

    // A compact JSON object body.
    static ApiResponse json(const QJsonObject &object, int status = 200);
    // {"ok": true} plus the given members.
    static ApiResponse ok(const QJsonObject &members = {});
    // {"ok": false, "error": message}.
    static ApiResponse error(int status, const QString &message);
    // A body with an explicit content type.
    static ApiResponse raw(int status, const QByteArray &contentType, const QByteArray &body);

    ApiResponse &withHeader(const QByteArray &name, const QByteArray &value);
    QByteArray header(const QByteArray &lowerCaseName) const;
};

// One request as an endpoint handler sees it.
struct ApiRequest {
    RecordedRequest raw;
    QHash<QString, QString> params;    // pattern parameters, e.g. {"id": "17"}
    QByteArray sessionToken;           // the valid session cookie, or empty for public routes
    std::optional<qint64> userId;      // the signed-in account, when the session is valid

    QString param(const QString &name) const;
    qint64 intParam(const QString &name) const; // 0 when absent (int parameters are digits only)
    QUrlQuery query() const;
    // The body parsed as a JSON object; nothing when the body is empty, not JSON or not an object.
    std::optional<QJsonObject> jsonObject() const;
    // A cookie of the request's Cookie header(s), or nothing.
    std::optional<QByteArray> cookie(const QByteArray &name) const;
};

// A handle to answer a request later (asynchronous handlers). Copyable; the first send wins,
// later sends are ignored. Sending after the client went away is harmless.
class Reply
{
public:
    using Sender = std::function<void(const ApiResponse &)>;
    explicit Reply(Sender sender);
    void send(const ApiResponse &response) const;
    bool isSent() const;

private:
    struct State {
        Sender sender;
        bool sent = false;
    };
    std::shared_ptr<State> d;
};

enum class Access {
    Session, // needs a valid vexa_session cookie; 401 otherwise
    Public,  // no session needed (sign-in)
};

class Router
{
public:
    using Handler = std::function<ApiResponse(const ApiRequest &)>;
    using AsyncHandler = std::function<void(const ApiRequest &, Reply)>;

    // Pattern: an exact path ("/api/state") or segments with parameters:
    // "{name}" matches one non-empty segment (percent-decoded), "{name:int}" one decimal number
    // (digits only). Exact routes win over patterns; patterns are tried in registration order.
    void add(const QByteArray &method, const QString &pattern, Handler handler,
             Access access = Access::Session);
    void addAsync(const QByteArray &method, const QString &pattern, AsyncHandler handler,
                  Access access = Access::Session);

    struct Match {
        enum Kind { Found, UnknownPath, WrongMethod } kind = UnknownPath;
        const AsyncHandler *handler = nullptr;
        Access access = Access::Session;
        QHash<QString, QString> params;
        QStringList allowedMethods; // for WrongMethod
    };
    // `path` is the encoded path (without query); segments are percent-decoded for matching.
    Match match(const QByteArray &method, const QString &encodedPath) const;

    int routeCount() const { return int(m_routes.size()); }

private:
    struct Segment {
        enum Kind { Literal, String, Integer } kind = Literal;
        QString text; // literal text or parameter name
    };
    struct Route {
        QByteArray method;
        QString pattern;
        QList<Segment> segments;
        bool exact = true;
        Access access = Access::Session;
        AsyncHandler handler;
    };
    static bool matchSegments(const Route &route, const QStringList &segments,
                              QHash<QString, QString> *params);
    QList<Route> m_routes;
};

// Splits an encoded path into percent-decoded segments ("/a/b%2Fc" -> "", "a", "b/c").
QStringList decodedSegments(const QString &encodedPath);

} // namespace vexa::service
