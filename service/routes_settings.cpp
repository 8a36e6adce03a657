// POST /api/settings/update: the chat model, the image model and the answer settings. Every
// member of the body is checked before any is applied, so a refused request changes nothing.

#include "routes.h"

#include "servicestate.h"

#include <QJsonObject>

#include <functional>

namespace vexa::service {

namespace {

using Change = std::function<void(ServiceState &)>;

std::optional<ApiResponse> checkModel(const ServiceState &state, const QString &id)
{
    const ChatModel *model = state.findModel(id);
    if (!model)
        return ApiResponse::error(400, QStringLiteral("Модель «%1» не найдена.").arg(id));
    if (state.modelLocked && id != state.model)
        return ApiResponse::error(403, QStringLiteral("Смена модели недоступна на вашем тарифе."));
    if (!model->isAvailable)
        return ApiResponse::error(403, QStringLiteral("Модель «%1» недоступна на вашем тарифе. "
                                                      "Выберите другую или смените тариф в Telegram-боте.")
                                           .arg(model->title));
    return std::nullopt;
}

std::optional<ApiResponse> checkImageModel(const ServiceState &state, const QString &id)
{
    if (!state.findImageModel(id))
        return ApiResponse::error(400, QStringLiteral("Модель изображений «%1» не найдена.").arg(id));
    if (state.imageModelLocked && id != state.imageModel)
        return ApiResponse::error(403, QStringLiteral("Модель изображений на вашем тарифе не меняется."));
    return std::nullopt;
}

std::optional<ApiResponse> checkChoice(const QString &name, const QString &value, const QStringList &allowed)
{
    if (allowed.contains(value))
        return std::nullopt;
    return ApiResponse::error(400, QStringLiteral("Недопустимое значение «%1» для настройки «%2».").arg(value, name));
}

ApiResponse update(ServiceState &state, const ApiRequest &request)
{
    const std::optional<QJsonObject> body = request.jsonObject();
    if (!body)
        return ApiResponse::error(400, texts::unreadableRequest());
    if (body->isEmpty())
        return ApiResponse::error(400, QStringLiteral("Не указано, какую настройку изменить."));

    QList<Change> changes;
    for (auto it = body->constBegin(); it != body->constEnd(); ++it) {
        const QString name = it.key();
        if (!it.value().isString())
            return ApiResponse::error(400, QStringLiteral("Значение настройки «%1» должно быть строкой.").arg(name));
        const QString value = it.value().toString();
        std::optional<ApiResponse> refusal;
        if (name == QLatin1String("model")) {
            refusal = checkModel(state, value);
            changes.append([value](ServiceState &s) { s.model = value; });
        } else if (name == QLatin1String("image_model")) {
            refusal = checkImageModel(state, value);
            changes.append([value](ServiceState &s) { s.imageModel = value; });
        } else if (name == QLatin1String("response_length")) {
            refusal = checkChoice(name, value, {QStringLiteral("short"), QStringLiteral("normal"), QStringLiteral("detailed")});
            changes.append([value](ServiceState &s) { s.settings.responseLength = value; });
        } else if (name == QLatin1String("creativity")) {
            refusal = checkChoice(name, value, {QStringLiteral("precise"), QStringLiteral("balanced"), QStringLiteral("creative")});
            changes.append([value](ServiceState &s) { s.settings.creativity = value; });
        } else if (name == QLatin1String("language")) {
            refusal = checkChoice(name, value, {QStringLiteral("ru"), QStringLiteral("en")});
            changes.append([value](ServiceState &s) { s.settings.language = value; });
        } else {
            refusal = ApiResponse::error(400, QStringLiteral("Неизвестная настройка «%1».").arg(name));
        }
        if (refusal)
            return *refusal;
    }
    for (const Change &change : changes)
        change(state);
    if (!state.settingsReplyCarriesState)
        return ApiResponse::ok();
    return ApiResponse::ok({{QStringLiteral("state"), state.toJson()}});
}

} // namespace

void registerSettingsRoutes(Router &router, ApiContext &context)
{
    router.add("POST", QStringLiteral("/api/settings/update"), [&context](const ApiRequest &request) {
        return update(context.state, request);
    });
}

} // namespace vexa::service
