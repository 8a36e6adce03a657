// The workspace: the saved-answers collection (pages of five, search, save, delete) and the
// prompt recipes with favourites. The data lives in a Workspace owned by these routes.

#include "routes.h"

#include "workspace.h"

#include <QJsonObject>

#include <memory>

namespace vexa::service {

void registerWorkspaceRoutes(Router &router, ApiContext &)
{
    auto workspace = std::make_shared<Workspace>();

    // GET /api/workspace/answers?page=N&q=text (page 0 is the first; q may be empty)
    router.add("GET", QStringLiteral("/api/workspace/answers"), [workspace](const ApiRequest &request) {
        const QUrlQuery query = request.query();
        bool pageOk = true;
        const QString pageText = query.queryItemValue(QStringLiteral("page"), QUrl::FullyDecoded);
        const qint64 page = pageText.isEmpty() ? 0 : pageText.toLongLong(&pageOk);
        if (!pageOk || page < 0)
            return ApiResponse::error(400, QStringLiteral("Неверный номер страницы."));
        return ApiResponse::json(workspace->page(page, query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded)));
    });

    // POST /api/workspace/answers {"content": "..."}
    router.add("POST", QStringLiteral("/api/workspace/answers"), [workspace](const ApiRequest &request) {
        const std::optional<QJsonObject> body = request.jsonObject();
        if (!body)
            return ApiResponse::error(400, texts::unreadableRequest());
        const QString content = body->value(QStringLiteral("content")).toString();
        if (content.trimmed().isEmpty())
            return ApiResponse::error(400, QStringLiteral("Пустой ответ нельзя сохранить."));
        const auto saved = workspace->save(content);
        if (!saved)
            return ApiResponse::error(409, QStringLiteral("Коллекция заполнена (%1 из %1). Удалите старые "
                                                          "ответы, чтобы сохранить новые.")
                                               .arg(Workspace::kCapacity));
        return ApiResponse::ok({{QStringLiteral("message"), QStringLiteral("Сохранено: «%1».").arg(saved->title)}});
    });

    // DELETE /api/workspace/answers/<id>
    router.add("DELETE", QStringLiteral("/api/workspace/answers/{id:int}"), [workspace](const ApiRequest &request) {
        if (!workspace->remove(request.intParam(QStringLiteral("id"))))
            return ApiResponse::error(404, QStringLiteral("Ответ не найден: возможно, он уже удалён."));
        return ApiResponse::ok();
    });

    // GET /api/workspace/recipes
    router.add("GET", QStringLiteral("/api/workspace/recipes"), [workspace](const ApiRequest &) {
        return ApiResponse::json(workspace->recipesJson());
    });

    // POST /api/workspace/recipes/<id>/favorite {"enabled": true|false} -> the updated list
    router.add("POST", QStringLiteral("/api/workspace/recipes/{id}/favorite"), [workspace](const ApiRequest &request) {
        const std::optional<QJsonObject> body = request.jsonObject();
        if (!body || !body->value(QStringLiteral("enabled")).isBool())
            return ApiResponse::error(400, QStringLiteral("Не удалось прочитать запрос: ожидается «enabled»."));
        if (!workspace->setFavorite(request.param(QStringLiteral("id")), body->value(QStringLiteral("enabled")).toBool()))
            return ApiResponse::error(404, QStringLiteral("Сценарий не найден."));
        return ApiResponse::json(workspace->recipesJson());
    });
}

} // namespace vexa::service
