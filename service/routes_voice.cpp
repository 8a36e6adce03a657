// GET /api/voice/recommendation: the chat model for hands-free conversation. Speed matters more
// than depth when every answer is spoken, so the fastest available model is named.

#include "routes.h"

#include "servicestate.h"

#include <QJsonObject>

namespace vexa::service {

void registerVoiceRoutes(Router &router, ApiContext &context)
{
    router.add("GET", QStringLiteral("/api/voice/recommendation"), [&context](const ApiRequest &) {
        const ServiceState &state = context.state;
        // Fastest first; any other available model only when none of these is.
        static const QStringList byPace = {QStringLiteral("vexa-fast"), QStringLiteral("vexa-mini"),
                                           QStringLiteral("fp-gpt-4o"), QStringLiteral("vexa-smart")};
        const ChatModel *chosen = nullptr;
        for (const QString &id : byPace) {
            const ChatModel *m = state.findModel(id);
            if (m && m->isAvailable) {
                chosen = m;
                break;
            }
        }
        for (const ChatModel &m : state.models) {
            if (!chosen && m.isAvailable)
                chosen = &m;
        }
        if (!chosen)
            return ApiResponse::error(503, QStringLiteral("Для голосового режима сейчас нет доступной модели."));
        return ApiResponse::ok({{QStringLiteral("model"), chosen->id},
                                {QStringLiteral("title"), chosen->title},
                                {QStringLiteral("reason"),
                                 QStringLiteral("%1 отвечает быстрее остальных доступных моделей — паузы "
                                                "в разговоре будут короче.").arg(chosen->title)}});
    });
}

} // namespace vexa::service
