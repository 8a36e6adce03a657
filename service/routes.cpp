#include "routes.h"

#include "localservice.h"

namespace vexa::service {

QByteArray sessionCookieHeader(const QByteArray &token, bool secure)
{
    QByteArray value = LocalService::cookieName() + '=' + token
                       + QByteArrayLiteral("; Path=/; HttpOnly; SameSite=Lax");
    if (secure)
        value += QByteArrayLiteral("; Secure");
    return value;
}

void registerRoutes(Router &router, ApiContext &context)
{
    // A page for people who open the service in a browser.
    router.add("GET", QStringLiteral("/"),
               [](const ApiRequest &) {
                   return ApiResponse::raw(
                       200, "text/plain; charset=utf-8",
                       QStringLiteral("Vexa AI — локальный сервис.\n"
                                      "API: /api/… (вход: POST /api/web/sync с кодом).\n")
                           .toUtf8());
               },
               Access::Public);

    registerSessionRoutes(router, context);
    registerChatRoutes(router, context);
    registerChatSendRoutes(router, context);
    registerSettingsRoutes(router, context);
    registerImageRoutes(router, context);
    registerWorkspaceRoutes(router, context);
    registerVoiceRoutes(router, context);
    registerCommunityRoutes(router, context);
    registerContentRoutes(router, context);
    registerProductivityRoutes(router, context);
    registerAccountRoutes(router, context);
}

} // namespace vexa::service
