// POST /api/image/generate: a picture drawn from the prompt, or, with "image_url", a visible
// edit of the uploaded picture. The "text" image model answers with a description instead
// ({"output_type": "text", "text": ...}). Pictures come back as PNG data URLs.

#include "routes.h"

#include "attachments.h"
#include "pictures.h"
#include "servicestate.h"

#include <QBuffer>
#include <QJsonObject>

namespace vexa::service {

namespace {

QString pngDataUrl(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

PictureStyle styleOf(const QString &modelId)
{
    if (modelId.endsWith(QLatin1String("-hd")))
        return PictureStyle::Detailed;
    if (modelId.contains(QLatin1String("sketch")))
        return PictureStyle::Sketch;
    return PictureStyle::Painting;
}

ApiResponse generate(ServiceState &state, const ApiRequest &request)
{
    const std::optional<QJsonObject> body = request.jsonObject();
    if (!body)
        return ApiResponse::error(400, texts::unreadableRequest());
    const bool edit = body->contains(QStringLiteral("image_url"));
    const QString prompt = body->value(QStringLiteral("prompt")).toString();
    if (prompt.trimmed().isEmpty())
        return ApiResponse::error(400, edit ? QStringLiteral("Опишите, что изменить на изображении.")
                                            : QStringLiteral("Опишите, что нарисовать."));
    if (!state.canGenerateImages)
        return ApiResponse::error(403, QStringLiteral("Генерация изображений недоступна на вашем тарифе."));

    QString modelId = body->value(QStringLiteral("model")).toString();
    if (modelId.isEmpty() || state.imageModelLocked)
        modelId = state.imageModel;
    const ImageModel *model = state.findImageModel(modelId);
    if (!model)
        return ApiResponse::error(400, QStringLiteral("Модель изображений «%1» не найдена.").arg(modelId));

    QImage source;
    if (edit) {
        const auto decoded = decodeDataUrl(body->value(QStringLiteral("image_url")).toString());
        if (decoded)
            source = QImage::fromData(decoded->bytes);
        if (source.isNull())
            return ApiResponse::error(400, QStringLiteral("Не удалось прочитать изображение. Выберите другой файл."));
    }

    if (model->outputType == QLatin1String("text")) {
        const QString text = edit ? describePicture(source) : describePrompt(prompt);
        return ApiResponse::ok({{QStringLiteral("output_type"), QStringLiteral("text")},
                                {QStringLiteral("text"), text},
                                {QStringLiteral("state"), state.toJson()}});
    }
    if (state.limits.imageCredits <= 0)
        return ApiResponse::error(402, QStringLiteral("Кредиты на изображения закончились. "
                                                      "Пополнить их можно в Telegram-боте."));

    const QImage picture = edit ? editPicture(source, prompt) : drawPicture(prompt, styleOf(modelId));
    --state.limits.imageCredits;
    ++state.statImages;
    return ApiResponse::ok({{QStringLiteral("output_type"), QStringLiteral("image")},
                            {QStringLiteral("image_url"), pngDataUrl(picture)},
                            {QStringLiteral("state"), state.toJson()}});
}

} // namespace

void registerImageRoutes(Router &router, ApiContext &context)
{
    router.add("POST", QStringLiteral("/api/image/generate"), [&context](const ApiRequest &request) {
        return generate(context.state, request);
    });
}

} // namespace vexa::service
