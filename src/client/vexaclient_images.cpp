// Switching the chat and image models, generating pictures and editing the user's own.
//
// The service answers an image call with a data URL (or a bare Base64 payload) in "image_url";
// the picture's format is whatever its bytes say, not what the URL's prefix claims. Some image
// models answer with text instead ("output_type": "text"); that is a result, not an error.

#include "vexaclient.h"
#include "detachedtask.h"

#include <QJsonDocument>

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

// The account's current image model, which an edit uses; empty when the state has none.
QString editModel(const std::optional<VexaState> &state)
{
    return state && state->imageModel ? *state->imageModel : QString();
}

// The edit's body written out, or nothing when the picture cannot be encoded or its JPEG is
// over the limit. Large pictures come here on the pool: the JPEG of a twelve-megabyte picture,
// its Base64 and the body take far longer than a frame.
std::optional<QByteArray> editRequestJson(QImage picture, QString model, QString prompt,
                                          VexaClient::JpegEncoder encoder)
{
    const QByteArray jpeg = encoder(picture, VexaClient::kEditJpegQuality);
    if (jpeg.isEmpty() || jpeg.size() > VexaClient::kMaxEditBytes)
        return std::nullopt;
    QJsonObject body;
    body.insert(QStringLiteral("model"), model);
    body.insert(QStringLiteral("prompt"), prompt);
    body.insert(QStringLiteral("image_url"),
                QStringLiteral("data:image/jpeg;base64,") + QString::fromLatin1(jpeg.toBase64()));
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

// Whether a reply is meant to carry a picture (the "text" models answer with a text).
bool carriesPicture(const Result<VexaResponse> &reply)
{
    return reply && reply->outputType != QLatin1String("text") && reply->imageURL;
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

// The picture in an "image_url": everything after the first comma, or the whole value. Runs on
// the pool: checking and decoding the Base64 and then the picture of a large reply takes far
// longer than a frame.
std::optional<QImage> imageFromURL(QString url)
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

Result<std::optional<QImage>> VexaClient::takeImageReply(const VexaResponse &reply,
                                                         std::optional<QImage> picture)
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
    if (!picture)
        return ClientError(VexaError::invalidResponse());
    setNotice(std::nullopt);
    return picture;
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
    auto image = co_await finishImageRequest(std::move(reply));
    co_return image;
}

QCoro::Task<std::optional<QImage>> VexaClient::finishImageRequest(Result<VexaResponse> reply)
{
    std::optional<QImage> picture;
    if (carriesPicture(reply)) {
        QPointer<VexaClient> self(this);
        picture = co_await offthread::run(&imageFromURL, *reply->imageURL);
        if (!self)
            co_return std::nullopt;
    }
    std::optional<QImage> image;
    if (reply) {
        auto taken = takeImageReply(*reply, std::move(picture));
        if (taken)
            image = std::move(*taken);
        else
            setNotice(describe(taken.error()));
    } else {
        setNotice(describe(reply.error()));
    }
    setGenerating(false);
    reportAnswer(AnswerEvent::Kind::Image, QString(), QString(), !image);
    co_return image;
}

QCoro::Task<std::optional<QImage>> VexaClient::editImage(QImage picture, QString prompt)
{
    if (m_generating)
        co_return std::nullopt;
    QPointer<VexaClient> self(this);
    const QString model = editModel(m_state);
    std::optional<QByteArray> json;
    if (qsizetype(picture.width()) * picture.height() <= offthread::kEncodeInPlacePixels) {
        json = editRequestJson(picture, model, prompt, m_jpegEncoder);
        if (!json) {
            setNotice(editTooLargeNotice());
            co_return std::nullopt;
        }
        setGenerating(true);
    } else {
        // Busy while the picture is encoded, so the screen shows it and a second edit waits.
        setGenerating(true);
        json = co_await offthread::run(&editRequestJson, picture, model, prompt, m_jpegEncoder);
        if (!self)
            co_return std::nullopt;
        if (!json) {
            setGenerating(false);
            setNotice(editTooLargeNotice());
            co_return std::nullopt;
        }
    }
    setImageTextResult(std::nullopt);

    // The edit uses the account's current image model; no switch is attempted.
    auto reply = co_await request(QString::fromLatin1("/api/image/generate"),
                                  RequestBody::encoded(*json));
    if (!self)
        co_return std::nullopt;
    auto image = co_await finishImageRequest(std::move(reply));
    co_return image;
}

void VexaClient::startSelectModel(const QString &id)
{
    detach(selectModel(id));
}

} // namespace vexa
