// Switching the chat and image models, generating pictures and editing the user's own.
//
// The service answers an image call with a data URL (or a bare Base64 payload) in "image_url";
// the picture's format is whatever its bytes say, not what the URL's prefix claims. Some image
// models answer with text instead ("output_type": "text"); that is a result, not an error.

#include "vexaclient.h"
#include "detachedtask.h"

namespace vexa {

namespace {

QString editTooLargeNotice()
{
    return QStringLiteral("Изображение слишком большое или повреждено. Выберите файл до 12 МБ.");
}

QJsonObject oneMember(const QString &name, const QString &value)
{
    QJsonObject body;
    body.insert(name, value);
    return body;
}

QJsonObject generationBody(const QString &prompt, const QString &model)
{
    QJsonObject body;
    body.insert(QStringLiteral("prompt"), prompt);
    body.insert(QStringLiteral("model"), model);
    return body;
}

QJsonObject editBody(const std::optional<VexaState> &state, const QString &prompt,
                     const QByteArray &jpeg)
{
    QJsonObject body;
    body.insert(QStringLiteral("model"), state && state->imageModel ? *state->imageModel : QString());
    body.insert(QStringLiteral("prompt"), prompt);
    body.insert(QStringLiteral("image_url"),
                QStringLiteral("data:image/jpeg;base64,") + QString::fromLatin1(jpeg.toBase64()));
    return body;
}

// Standard Base64 only: the alphabet, padded to whole quads, no white space.
std::optional<QByteArray> strictBase64(const QString &text)
{
    if (text.isEmpty() || text.size() % 4 != 0)
        return std::nullopt;
    for (const QChar c : text) {
        if (c.unicode() > 0x7f)
            return std::nullopt;
    }
    auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(),
                                                  QByteArray::AbortOnBase64DecodingErrors);
    if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok)
        return std::nullopt;
    return std::move(decoded.decoded);
}

// The picture in an "image_url": everything after the first comma, or the whole value.
std::optional<QImage> imageFromURL(const QString &url)
{
    const qsizetype comma = url.indexOf(QLatin1Char(','));
    const QString payload = comma < 0 ? url : url.mid(comma + 1);
    const auto bytes = strictBase64(payload);
    if (!bytes)
        return std::nullopt;
    QImage image = QImage::fromData(*bytes);
    if (image.isNull())
        return std::nullopt;
    return image;
}

} // namespace

Result<std::optional<QImage>> VexaClient::takeImageReply(const VexaResponse &reply)
{
    if (reply.state)
        setState(reply.state);
    if (reply.outputType == QLatin1String("text")) {
        setImageTextResult(reply.text);
        setNotice(std::nullopt);
        return std::optional<QImage>();
    }
    if (!reply.imageURL)
        return ClientError(VexaError::invalidResponse());
    auto image = imageFromURL(*reply.imageURL);
    if (!image)
        return ClientError(VexaError::invalidResponse());
    setNotice(std::nullopt);
    return image;
}

QCoro::Task<> VexaClient::selectModel(QString id)
{
    if (m_selectingModel || m_sending)
        co_return;
    setSelectingModel(true);
    QPointer<VexaClient> self(this);
    auto reply = co_await request(QString::fromLatin1("/api/settings/update"),
                                  oneMember(QString::fromLatin1("model"), id));
    if (!self)
        co_return;
    if (reply) {
        if (reply->state)
            setState(reply->state);
        setNotice(std::nullopt);
    } else {
        setNotice(describe(reply.error()));
    }
    setSelectingModel(false);
}

QCoro::Task<bool> VexaClient::selectImageModel(QString id)
{
    QPointer<VexaClient> self(this);
    auto reply = co_await request(QString::fromLatin1("/api/settings/update"),
                                  oneMember(QString::fromLatin1("image_model"), id));
    if (!self)
        co_return false;
    if (!reply) {
        setNotice(describe(reply.error()));
        co_return false;
    }
    if (reply->state)
        setState(reply->state);
    setNotice(std::nullopt);
    co_return true;
}

QCoro::Task<std::optional<QImage>> VexaClient::generateImage(QString prompt, QString model)
{
    if (m_generating)
        co_return std::nullopt;
    setGenerating(true);
    setImageTextResult(std::nullopt);
    QPointer<VexaClient> self(this);

    // A locked image model cannot be switched; the service uses the one it has.
    const bool locked = m_state && m_state->imageModelLocked.value_or(false);
    if (!locked) {
        const bool switched = co_await selectImageModel(model);
        if (!self)
            co_return std::nullopt;
        if (!switched) {
            setGenerating(false);
            co_return std::nullopt;
        }
    }

    auto reply = co_await request(QString::fromLatin1("/api/image/generate"),
                                  generationBody(prompt, model));
    if (!self)
        co_return std::nullopt;
    co_return finishImageRequest(reply);
}

std::optional<QImage> VexaClient::finishImageRequest(const Result<VexaResponse> &reply)
{
    std::optional<QImage> image;
    if (reply) {
        auto taken = takeImageReply(*reply);
        if (taken)
            image = std::move(*taken);
        else
            setNotice(describe(taken.error()));
    } else {
        setNotice(describe(reply.error()));
    }
    setGenerating(false);
    return image;
}

QCoro::Task<std::optional<QImage>> VexaClient::editImage(QImage picture, QString prompt)
{
    if (m_generating)
        co_return std::nullopt;
    const QByteArray jpeg = m_jpegEncoder(picture, kEditJpegQuality);
    if (jpeg.isEmpty() || jpeg.size() > kMaxEditBytes) {
        setNotice(editTooLargeNotice());
        co_return std::nullopt;
    }
    setGenerating(true);
    setImageTextResult(std::nullopt);
    QPointer<VexaClient> self(this);

    // The edit uses the account's current image model; no switch is attempted.
    auto reply = co_await request(QString::fromLatin1("/api/image/generate"),
                                  editBody(m_state, prompt, jpeg));
    if (!self)
        co_return std::nullopt;
    co_return finishImageRequest(reply);
}

void VexaClient::startSelectModel(const QString &id)
{
    detach(selectModel(id));
}

} // namespace vexa
