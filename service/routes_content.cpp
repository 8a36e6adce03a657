// Memories, server projects, characters (with portraits), web search and saved actions. The
// account data lives in ServiceState; the characters in a catalogue owned by these routes.

#include "routes.h"

#include "contentdata.h"
#include "servicestate.h"

#include <QDate>
#include <QJsonObject>

#include <memory>

namespace vexa::service {

namespace {

ApiResponse withState(const ServiceState &state, QJsonObject members = {})
{
    members.insert(QStringLiteral("state"), state.toJson());
    return ApiResponse::ok(members);
}

// A text field of the body: nothing when the body or the member is missing or not a string.
std::optional<QString> textMember(const ApiRequest &request, const QString &name)
{
    const std::optional<QJsonObject> body = request.jsonObject();
    if (!body || !body->value(name).isString())
        return std::nullopt;
    return body->value(name).toString();
}

// The origin the client reached us under, for absolute picture addresses.
QString requestOrigin(const ApiRequest &request, bool tls)
{
    const QByteArray host = request.raw.header("host");
    if (host.isEmpty())
        return QString();
    return (tls ? QStringLiteral("https://") : QStringLiteral("http://")) + QString::fromLatin1(host);
}

ApiResponse portrait(CharacterCatalog &catalog, const QString &id, Character::Portrait kind)
{
    const Character *character = catalog.find(id);
    if (!character || character->portrait != kind)
        return ApiResponse::error(404, QStringLiteral("Портрет не найден."));
    return ApiResponse::raw(200, "image/png", catalog.portraitPng(*character))
        .withHeader("Cache-Control", "private, max-age=300");
}

} // namespace

void registerContentRoutes(Router &router, ApiContext &context)
{
    ServiceState &state = context.state;
    auto catalog = std::make_shared<CharacterCatalog>();
    const bool tls = context.tls;

    // POST /api/memory {"content": "..."}
    router.add("POST", QStringLiteral("/api/memory"), [&state](const ApiRequest &request) {
        const std::optional<QString> content = textMember(request, QStringLiteral("content"));
        if (!content)
            return ApiResponse::error(400, texts::unreadableRequest());
        if (content->trimmed().isEmpty())
            return ApiResponse::error(400, QStringLiteral("Пустой факт нельзя запомнить."));
        if (!state.features.longMemory)
            return ApiResponse::error(403, QStringLiteral("Долгая память недоступна на вашем тарифе."));
        state.memories.append({state.nextItemId(), *content, QStringLiteral("web"),
                               QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))});
        return withState(state);
    });

    // DELETE /api/memory/<id>
    router.add("DELETE", QStringLiteral("/api/memory/{id:int}"), [&state](const ApiRequest &request) {
        const qint64 id = request.intParam(QStringLiteral("id"));
        if (state.memories.removeIf([id](const Memory &m) { return m.id == id; }) == 0)
            return ApiResponse::error(404, QStringLiteral("Факт не найден: возможно, он уже удалён."));
        return withState(state);
    });

    // POST /api/projects {"name": "...", "description": "..."}
    router.add("POST", QStringLiteral("/api/projects"), [&state](const ApiRequest &request) {
        const std::optional<QString> name = textMember(request, QStringLiteral("name"));
        if (!name)
            return ApiResponse::error(400, texts::unreadableRequest());
        if (name->trimmed().isEmpty())
            return ApiResponse::error(400, QStringLiteral("Укажите название проекта."));
        if (!state.features.projects)
            return ApiResponse::error(403, QStringLiteral("Проекты недоступны на вашем тарифе."));
        const QString description = textMember(request, QStringLiteral("description")).value_or(QString());
        state.projects.prepend({state.nextItemId(), *name, description,
                                QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))});
        return withState(state);
    });

    // DELETE /api/projects/<id>
    router.add("DELETE", QStringLiteral("/api/projects/{id:int}"), [&state](const ApiRequest &request) {
        const qint64 id = request.intParam(QStringLiteral("id"));
        if (state.projects.removeIf([id](const Project &p) { return p.id == id; }) == 0)
            return ApiResponse::error(404, QStringLiteral("Проект не найден: возможно, он уже удалён."));
        return withState(state);
    });

    // GET /api/characters -> {"ok":true,"characters":[...]} with absolute portrait addresses
    router.add("GET", QStringLiteral("/api/characters"), [catalog, tls](const ApiRequest &request) {
        return ApiResponse::json(catalog->toJson(requestOrigin(request, tls)));
    });

    // Portraits: one character's only with the session cookie, another's for anyone.
    router.add("GET", QStringLiteral("/api/characters/{id}/portrait"), [catalog](const ApiRequest &request) {
        return portrait(*catalog, request.param(QStringLiteral("id")), Character::Portrait::Session);
    });
    router.add("GET", QStringLiteral("/portraits/{id}"), [catalog](const ApiRequest &request) {
        return portrait(*catalog, request.param(QStringLiteral("id")), Character::Portrait::Public);
    }, Access::Public);

    // POST /api/character/activate {"character_id": "<id>" | "none"}
    router.add("POST", QStringLiteral("/api/character/activate"), [&state, catalog](const ApiRequest &request) {
        const std::optional<QString> id = textMember(request, QStringLiteral("character_id"));
        if (!id)
            return ApiResponse::error(400, texts::unreadableRequest());
        if (*id == QLatin1String("none")) {
            catalog->activeId.clear();
            return withState(state, {{QStringLiteral("message"), QStringLiteral("Персонаж выключен.")}});
        }
        const Character *character = catalog->find(*id);
        if (!character)
            return ApiResponse::error(404, QStringLiteral("Персонаж не найден."));
        if (!character->unlocked)
            return ApiResponse::error(403, QStringLiteral("Персонаж «%1» ещё не открыт: его можно получить "
                                                          "в Telegram-боте.").arg(character->name));
        catalog->activeId = character->id;
        return withState(state, {{QStringLiteral("message"),
                                  QStringLiteral("Теперь с вами говорит %1.").arg(character->name)}});
    });

    // POST /api/search {"query": "..."} -> a composed answer with sources; counts against the day
    router.add("POST", QStringLiteral("/api/search"), [&state](const ApiRequest &request) {
        const std::optional<QString> query = textMember(request, QStringLiteral("query"));
        if (!query)
            return ApiResponse::error(400, texts::unreadableRequest());
        if (query->trimmed().isEmpty())
            return ApiResponse::error(400, QStringLiteral("Напишите, что найти."));
        if (!state.features.webSearch)
            return ApiResponse::error(403, QStringLiteral("Поиск в интернете недоступен на вашем тарифе."));
        ++state.limits.usedDay;
        return withState(state, {{QStringLiteral("answer"), composeSearchAnswer(*query)}});
    });

    // POST /api/actions/run {"instruction": "...", "input": "..."}
    router.add("POST", QStringLiteral("/api/actions/run"), [&state](const ApiRequest &request) {
        const std::optional<QString> instruction = textMember(request, QStringLiteral("instruction"));
        const std::optional<QString> input = textMember(request, QStringLiteral("input"));
        if (!instruction || !input)
            return ApiResponse::error(400, texts::unreadableRequest());
        if (input->trimmed().isEmpty())
            return ApiResponse::error(400, QStringLiteral("Нет текста для обработки."));
        if (!state.features.actions)
            return ApiResponse::error(403, QStringLiteral("Действия недоступны на вашем тарифе."));
        ++state.limits.usedDay;
        return withState(state, {{QStringLiteral("answer"), composeActionAnswer(*instruction, *input)}});
    });
}

} // namespace vexa::service
