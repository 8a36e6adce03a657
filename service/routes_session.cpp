// Session endpoints: sign-in with a one-time code and the account state.

#include "routes.h"

#include "servicestate.h"
#include "sessions.h"

#include <QJsonObject>

namespace vexa::service {

void registerSessionRoutes(Router &router, ApiContext &context)
{
    // GET /api/state -> {"ok": true, "state": {...}}
    router.add("GET", QStringLiteral("/api/state"), [&context](const ApiRequest &) {
        return ApiResponse::ok({{QStringLiteral("state"), context.state.toJson()}});
    });

    // POST /api/web/sync {"code": "123456"} -> {"ok": true, "state": {...}} + session cookie.
    router.add(
        "POST", QStringLiteral("/api/web/sync"),
        [&context](const ApiRequest &request) {
            const std::optional<QJsonObject> body = request.jsonObject();
            if (!body)
                return ApiResponse::error(400, texts::unreadableRequest());
            const QJsonValue code = body->value(QStringLiteral("code"));
            if (!code.isString() || code.toString().trimmed().isEmpty())
                return ApiResponse::error(400, texts::codeRefused());
            if (context.sessions.redeem(code.toString()) != SessionStore::CodeCheck::Accepted)
                return ApiResponse::error(403, texts::codeRefused());

            const QByteArray token = context.sessions.createSession(context.state.userId);
            return ApiResponse::ok({{QStringLiteral("state"), context.state.toJson()}})
                .withHeader("Set-Cookie", sessionCookieHeader(token, context.tls));
        },
        Access::Public);
}

} // namespace vexa::service
