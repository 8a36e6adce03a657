// Productivity and notices: history search across the account's chats, a Markdown export,
// uploaded documents, Telegram reminders, and in-app notices with read marks and preferences.
// The data lives in a Productivity owned by these routes; chats are read from ServiceState.

#include "routes.h"

#include "productivity.h"
#include "servicestate.h"

#include <QJsonObject>

#include <memory>

namespace vexa::service {

namespace {

ApiResponse badMember(const QString &name)
{
    return ApiResponse::error(400, QStringLiteral("Не удалось прочитать запрос: ожидается «%1».").arg(name));
}

// The whole-number "id" of a JSON request body; nothing when the body or the id is unreadable.
// The error reply to give then goes to `refusal`.
std::optional<qint64> bodyId(const ApiRequest &request, ApiResponse &refusal)
{
    const std::optional<QJsonObject> body = request.jsonObject();
    if (!body) {
        refusal = ApiResponse::error(400, texts::unreadableRequest());
        return std::nullopt;
    }
    const QJsonValue id = body->value(QStringLiteral("id"));
    if (!id.isDouble() || id.toDouble() != double(id.toInteger())) {
        refusal = badMember(QStringLiteral("id"));
        return std::nullopt;
    }
    return id.toInteger();
}

} // namespace

void registerProductivityRoutes(Router &router, ApiContext &context)
{
    auto data = std::make_shared<Productivity>();

    // GET /api/productivity/search?q=text -> {"ok", "items": [{title, snippet, chat_id}]}
    router.add("GET", QStringLiteral("/api/productivity/search"), [&context](const ApiRequest &request) {
        const QString query = request.query().queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded);
        if (query.trimmed().size() < 2)
            return ApiResponse::error(400, QStringLiteral("Запрос слишком короткий: нужно минимум два символа."));
        return ApiResponse::ok({{QStringLiteral("items"), Productivity::search(context.state, query)}});
    });

    // GET /api/productivity/export[?chat_ids=id,id] -> {"ok", "text": Markdown, "count"}
    router.add("GET", QStringLiteral("/api/productivity/export"), [&context](const ApiRequest &request) {
        const QString ids = request.query().queryItemValue(QStringLiteral("chat_ids"), QUrl::FullyDecoded);
        const QStringList chatIds = ids.split(QLatin1Char(','), Qt::SkipEmptyParts);
        const auto [text, count] = Productivity::exportMarkdown(context.state, chatIds);
        if (!chatIds.isEmpty() && count == 0 && text.isEmpty())
            return ApiResponse::error(404, QStringLiteral("Чат не найден. Обновите список чатов."));
        return ApiResponse::ok({{QStringLiteral("text"), text}, {QStringLiteral("count"), count}});
    });

    // GET /api/productivity/documents -> {"ok", "items": [{id, file_name, snippet}]}
    router.add("GET", QStringLiteral("/api/productivity/documents"), [data](const ApiRequest &) {
        return ApiResponse::ok({{QStringLiteral("items"), data->documentsJson()}});
    });

    // POST /api/productivity/document-use {"id": 101}
    router.add("POST", QStringLiteral("/api/productivity/document-use"), [data](const ApiRequest &request) {
        ApiResponse refusal = ApiResponse::ok();
        const std::optional<qint64> id = bodyId(request, refusal);
        if (!id)
            return refusal;
        if (!data->useDocument(*id))
            return ApiResponse::error(404, QStringLiteral("Документ не найден: возможно, он удалён."));
        return ApiResponse::ok();
    });

    // GET /api/productivity/reminders -> {"ok", "items": [{id, reminder_text, body, due_at}]}
    router.add("GET", QStringLiteral("/api/productivity/reminders"), [data](const ApiRequest &) {
        return ApiResponse::ok({{QStringLiteral("items"), data->remindersJson()}});
    });

    // POST /api/productivity/reminders {"text", "when"}: "when" is free text in the account's zone.
    router.add("POST", QStringLiteral("/api/productivity/reminders"), [data](const ApiRequest &request) {
        const std::optional<QJsonObject> body = request.jsonObject();
        if (!body)
            return ApiResponse::error(400, texts::unreadableRequest());
        const QJsonValue text = body->value(QStringLiteral("text"));
        const QJsonValue when = body->value(QStringLiteral("when"));
        if (!text.isString() || !when.isString())
            return badMember(text.isString() ? QStringLiteral("when") : QStringLiteral("text"));
        if (text.toString().trimmed().isEmpty())
            return ApiResponse::error(400, QStringLiteral("Напишите, о чём напомнить."));
        const auto due = Productivity::parseWhen(when.toString(), QDateTime::currentDateTimeUtc());
        if (!due)
            return ApiResponse::error(400, QStringLiteral("Не удалось понять время «%1». Например: "
                                                          "«через 30 минут» или «завтра в 9:00».")
                                               .arg(when.toString()));
        const auto &reminder = data->addReminder(text.toString().trimmed(), *due);
        return ApiResponse::ok({{QStringLiteral("id"), reminder.id},
                                {QStringLiteral("due_at"), double(reminder.due.toSecsSinceEpoch())}});
    });

    // DELETE /api/productivity/reminders {"id": 201}
    router.add("DELETE", QStringLiteral("/api/productivity/reminders"), [data](const ApiRequest &request) {
        ApiResponse refusal = ApiResponse::ok();
        const std::optional<qint64> id = bodyId(request, refusal);
        if (!id)
            return refusal;
        if (!data->removeReminder(*id))
            return ApiResponse::error(404, QStringLiteral("Напоминание не найдено: возможно, оно уже сработало."));
        return ApiResponse::ok();
    });

    // GET /api/notices -> {"ok", "items": unread notices, "preferences": {news, promos}}
    router.add("GET", QStringLiteral("/api/notices"), [data](const ApiRequest &) {
        return ApiResponse::ok({{QStringLiteral("items"), data->noticesJson()},
                                {QStringLiteral("preferences"), data->preferencesJson()}});
    });

    // POST /api/notices/read {"id": "n-welcome"}
    router.add("POST", QStringLiteral("/api/notices/read"), [data](const ApiRequest &request) {
        const std::optional<QJsonObject> body = request.jsonObject();
        if (!body)
            return ApiResponse::error(400, texts::unreadableRequest());
        const QJsonValue id = body->value(QStringLiteral("id"));
        if (!id.isString())
            return badMember(QStringLiteral("id"));
        if (!data->markRead(id.toString()))
            return ApiResponse::error(404, QStringLiteral("Уведомление не найдено."));
        return ApiResponse::ok();
    });

    // POST /api/notices/preferences {"news": bool, "promos": bool}
    router.add("POST", QStringLiteral("/api/notices/preferences"), [data](const ApiRequest &request) {
        const std::optional<QJsonObject> body = request.jsonObject();
        if (!body)
            return ApiResponse::error(400, texts::unreadableRequest());
        const QJsonValue news = body->value(QStringLiteral("news"));
        const QJsonValue promos = body->value(QStringLiteral("promos"));
        if (!news.isBool() || !promos.isBool())
            return badMember(news.isBool() ? QStringLiteral("promos") : QStringLiteral("news"));
        data->setPreferences(news.toBool(), promos.toBool());
        return ApiResponse::ok({{QStringLiteral("preferences"), data->preferencesJson()}});
    });
}

} // namespace vexa::service
