#pragma once

// Endpoint registration. Each area of the service registers its routes from its own file:
//   routes_session.cpp  /api/state, /api/web/sync
//   routes_chats.cpp    /api/chats
//   routes_chat_send.cpp  POST /api/chats, /api/chats/select, /api/chat
//   routes_settings.cpp   /api/settings/update
//   routes_images.cpp     /api/image/generate
//   routes_workspace.cpp  /api/workspace/answers, /api/workspace/recipes
//   routes_voice.cpp      /api/voice/recommendation
//   routes_community.cpp  /api/community/..., /api/forum/...
//   routes_content.cpp    /api/memory, /api/projects, /api/characters, /api/character/activate,
//                         /api/search, /api/actions/run, /portraits/
//   routes_productivity.cpp  /api/productivity/…, /api/notices…
//   routes_account.cpp    /api/bonus/claim, /api/plans, /api/promo/redeem, /downloads.html
// To add an area: write routes_<area>.cpp with register<Area>Routes(), declare it here, call it
// from registerRoutes() in routes.cpp, and list the file in service/CMakeLists.txt.

#include "router.h"

#include <QByteArray>
#include <QString>

namespace vexa::service {

class ServiceState;
class SessionStore;

// What endpoint handlers may use. Everything lives on the service's thread.
struct ApiContext {
    ServiceState &state;
    SessionStore &sessions;
    bool tls = false; // the service speaks plain HTTP; cookies get "; Secure" only over TLS
};

void registerRoutes(Router &router, ApiContext &context);

void registerSessionRoutes(Router &router, ApiContext &context);
void registerChatRoutes(Router &router, ApiContext &context);
void registerChatSendRoutes(Router &router, ApiContext &context);
void registerSettingsRoutes(Router &router, ApiContext &context);
void registerImageRoutes(Router &router, ApiContext &context);
void registerWorkspaceRoutes(Router &router, ApiContext &context);
void registerVoiceRoutes(Router &router, ApiContext &context);
void registerCommunityRoutes(Router &router, ApiContext &context);
void registerContentRoutes(Router &router, ApiContext &context);
void registerProductivityRoutes(Router &router, ApiContext &context);
void registerAccountRoutes(Router &router, ApiContext &context);

// Texts the user may see (the client shows the service's "error" as it is).
namespace texts {
inline QString codeRefused()
{
    return QStringLiteral(
        "Код не подошёл или устарел. Получите новый код командой /web в Telegram-боте.");
}
inline QString signInRequired()
{
    return QStringLiteral("Требуется вход.");
}
inline QString unreadableRequest()
{
    return QStringLiteral("Не удалось прочитать запрос: ожидается JSON-объект.");
}
} // namespace texts

// "vexa_session=<token>; Path=/; HttpOnly; SameSite=Lax" (+ "; Secure" over TLS).
QByteArray sessionCookieHeader(const QByteArray &token, bool secure);

} // namespace vexa::service
