// Community groups and the forum: lists, one group or topic with its posts, joining and leaving,
// posting, likes, new topics and replies. The data lives in a Community owned by these routes,
// so what is written stays for the service's lifetime.

#include "routes.h"

#include "community.h"
#include "servicestate.h"

#include <QJsonObject>

#include <memory>

namespace vexa::service {

namespace {

QString groupMissing()
{
    return QStringLiteral("Группа не найдена.");
}

QString topicMissing()
{
    return QStringLiteral("Тема не найдена.");
}

// The signed-in account as a forum author: its first name, else its user name.
QString authorName(const ServiceState &state)
{
    if (!state.firstName.isEmpty())
        return state.firstName;
    return state.username;
}

std::optional<QString> stringMember(const ApiRequest &request, const QString &key)
{
    const std::optional<QJsonObject> body = request.jsonObject();
    if (!body || !body->value(key).isString())
        return std::nullopt;
    return body->value(key).toString();
}

} // namespace

void registerCommunityRoutes(Router &router, ApiContext &context)
{
    auto community = std::make_shared<Community>();
    ServiceState &state = context.state;

    router.add("GET", QStringLiteral("/api/community/list"), [community](const ApiRequest &) {
        return ApiResponse::json(community->groupsJson());
    });

    router.add("GET", QStringLiteral("/api/community/{id:int}"), [community](const ApiRequest &request) {
        const auto group = community->groupJson(request.intParam(QStringLiteral("id")));
        return group ? ApiResponse::json(*group) : ApiResponse::error(404, groupMissing());
    });

    for (const bool join : {true, false}) {
        const QString pattern = join ? QStringLiteral("/api/community/{id:int}/join")
                                     : QStringLiteral("/api/community/{id:int}/leave");
        router.add("POST", pattern, [community, join](const ApiRequest &request) {
            if (!community->setMember(request.intParam(QStringLiteral("id")), join))
                return ApiResponse::error(404, groupMissing());
            return ApiResponse::ok();
        });
    }

    // {"content": "...", "is_anonymous": true|false}; only members may post.
    router.add("POST", QStringLiteral("/api/community/{id:int}/post"), [community, &state](const ApiRequest &request) {
        const std::optional<QJsonObject> body = request.jsonObject();
        if (!body || !body->value(QStringLiteral("content")).isString()
            || !body->value(QStringLiteral("is_anonymous")).isBool())
            return ApiResponse::error(400, QStringLiteral("Не удалось прочитать запрос: ожидаются "
                                                          "«content» и «is_anonymous»."));
        const QString content = body->value(QStringLiteral("content")).toString();
        if (content.trimmed().isEmpty())
            return ApiResponse::error(400, QStringLiteral("Пустое сообщение нельзя отправить."));
        switch (community->post(request.intParam(QStringLiteral("id")), content,
                                body->value(QStringLiteral("is_anonymous")).toBool(),
                                state.username, state.firstName)) {
        case Community::PostResult::Posted:
            return ApiResponse::ok();
        case Community::PostResult::NoGroup:
            return ApiResponse::error(404, groupMissing());
        case Community::PostResult::NotMember:
            return ApiResponse::error(403, QStringLiteral("Писать в группу могут только её участники."));
        }
        return ApiResponse::error(500, groupMissing());
    });

    // Every press counts: the service does not remember who liked what.
    router.add("POST", QStringLiteral("/api/community/post/{id:int}/like"), [community](const ApiRequest &request) {
        if (!community->like(request.intParam(QStringLiteral("id"))))
            return ApiResponse::error(404, QStringLiteral("Сообщение не найдено."));
        return ApiResponse::ok();
    });

    router.add("GET", QStringLiteral("/api/forum/topics"), [community](const ApiRequest &) {
        return ApiResponse::json(community->topicsJson());
    });

    router.add("GET", QStringLiteral("/api/forum/topic/{id:int}"), [community](const ApiRequest &request) {
        const auto topic = community->topicJson(request.intParam(QStringLiteral("id")));
        return topic ? ApiResponse::json(*topic) : ApiResponse::error(404, topicMissing());
    });

    // {"title": "...", "body": "..."}; the title needs three characters besides white space.
    router.add("POST", QStringLiteral("/api/forum/topic"), [community, &state](const ApiRequest &request) {
        const std::optional<QString> title = stringMember(request, QStringLiteral("title"));
        const std::optional<QString> body = stringMember(request, QStringLiteral("body"));
        if (!title || !body)
            return ApiResponse::error(400, QStringLiteral("Не удалось прочитать запрос: ожидаются "
                                                          "«title» и «body»."));
        if (title->trimmed().size() < 3)
            return ApiResponse::error(400, QStringLiteral("Название темы слишком короткое."));
        const qint64 id = community->createTopic(*title, *body, authorName(state));
        return ApiResponse::ok({{QStringLiteral("topic_id"), id}});
    });

    // {"body": "..."}; a locked topic takes no replies.
    router.add("POST", QStringLiteral("/api/forum/topic/{id:int}/reply"), [community, &state](const ApiRequest &request) {
        const std::optional<QString> body = stringMember(request, QStringLiteral("body"));
        if (!body)
            return ApiResponse::error(400, QStringLiteral("Не удалось прочитать запрос: ожидается «body»."));
        if (body->trimmed().isEmpty())
            return ApiResponse::error(400, QStringLiteral("Пустой ответ нельзя отправить."));
        switch (community->reply(request.intParam(QStringLiteral("id")), *body, authorName(state))) {
        case Community::ReplyResult::Replied:
            return ApiResponse::ok();
        case Community::ReplyResult::NoTopic:
            return ApiResponse::error(404, topicMissing());
        case Community::ReplyResult::Locked:
            return ApiResponse::error(403, QStringLiteral("Тема закрыта: ответы не принимаются."));
        }
        return ApiResponse::error(500, topicMissing());
    });
}

} // namespace vexa::service
