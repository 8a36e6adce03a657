// Chat endpoints. The chat list mirrors ServiceState::chats.

#include "routes.h"

#include "servicestate.h"

namespace vexa::service {

void registerChatRoutes(Router &router, ApiContext &context)
{
    // GET /api/chats -> VexaChatsResponse: {"ok": true, "chats": [...], "active_chat_id": "..."}
    router.add("GET", QStringLiteral("/api/chats"), [&context](const ApiRequest &) {
        return ApiResponse::json(context.state.chatsJson());
    });
}

} // namespace vexa::service
