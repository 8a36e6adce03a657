// Creating and opening chats, and sending a message with its attachments.
//
// A send shows the user's message at once (the optimistic entry), posts it, appends the answer
// and then re-reads the chat list so that the mirror ends up as the service's copy. Every path
// that does not end with an answer takes the optimistic entry out again, by its id: the list may
// have been replaced by a chat-list load in the meantime.

#include "vexaclient.h"
#include "detachedtask.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QJsonDocument>

#include <utility>

namespace vexa {

namespace {

QString overrideUnavailableNotice()
{
    return QStringLiteral("Выбранная для разговора модель недоступна для вашего тарифа или "
                          "временно отключена на сервере.");
}

QString photoUnreadableNotice()
{
    return QStringLiteral("Не удалось подготовить фото к отправке. Выберите другое изображение.");
}

QString photoTooLargeNotice()
{
    return QStringLiteral("Изображение слишком большое. Выберите фото меньшего размера.");
}

QString fileUnreadableNotice()
{
    return QStringLiteral("Не удалось прочитать выбранный файл.");
}

QString fileTooLargeNotice()
{
    return QStringLiteral("Файл слишком большой для отправки из приложения (максимум 8 МБ).");
}

// What the optimistic entry shows: the text, marked with a paperclip when something is attached.
QString optimisticText(const QString &trimmed, bool hasAttachment)
{
    if (trimmed.isEmpty())
        return QStringLiteral("📎 Вложение");
    if (hasAttachment)
        return trimmed + QStringLiteral("  📎");
    return trimmed;
}

bool overrideIsAvailable(const std::optional<VexaState> &state, const QString &modelID)
{
    if (!state || !state->models)
        return false;
    for (const VexaModel &model : *state->models) {
        if (model.id == modelID && model.isAvailable)
            return true;
    }
    return false;
}

// "message", then "model" (the override, else the state's), then "conversation_id".
QJsonObject messageBody(const QString &message, const std::optional<QString> &modelOverride,
                        const std::optional<VexaState> &state,
                        const std::optional<QString> &conversationID)
{
    QJsonObject body;
    body.insert(QStringLiteral("message"), message);
    if (modelOverride)
        body.insert(QStringLiteral("model"), *modelOverride);
    else if (state && state->model)
        body.insert(QStringLiteral("model"), *state->model);
    if (conversationID)
        body.insert(QStringLiteral("conversation_id"), *conversationID);
    return body;
}

QString base64DataUrl(const char *mediaType, const QByteArray &bytes)
{
    return QStringLiteral("data:") + QLatin1String(mediaType) + QStringLiteral(";base64,")
        + QString::fromLatin1(bytes.toBase64());
}

// A picked file arrives as a path or as a file URL; both name the same local file.
QString localPath(const QString &pathOrUrl)
{
    if (pathOrUrl.startsWith(QLatin1String("file:"))) {
        const QUrl url(pathOrUrl);
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return pathOrUrl;
}

struct FileAttachment {
    enum class Outcome { Read, Unreadable, TooLarge } outcome = Outcome::Unreadable;
    QByteArray bytes;
};

// Reads at most one byte past the limit: the size is checked before the bytes are held, and a
// file whose reported size is wrong (pipes, growing files) still cannot exceed the limit.
FileAttachment readAttachment(const QString &path, qsizetype limit)
{
    FileAttachment result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    if (!file.isSequential() && file.size() > limit) {
        result.outcome = FileAttachment::Outcome::TooLarge;
        return result;
    }
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        return result;
    if (bytes.size() > limit) {
        result.outcome = FileAttachment::Outcome::TooLarge;
        return result;
    }
    result.outcome = FileAttachment::Outcome::Read;
    result.bytes = std::move(bytes);
    return result;
}

QJsonObject fileData(const QString &path, const QByteArray &bytes)
{
    QJsonObject file;
    file.insert(QStringLiteral("name"), QFileInfo(path).fileName());
    file.insert(QStringLiteral("data_url"), base64DataUrl("application/octet-stream", bytes));
    return file;
}

// A message ready to go: its body written out, or why it may not go.
struct PreparedMessage {
    std::optional<QString> refusal;
    QByteArray json;
};

// Checks and encodes the attachments (the photo first, then the file) and writes the body out.
// Runs on the pool: reading an 8 MB file, encoding a large photo, its Base64 and writing out a
// body of ten or more megabytes each take longer than a frame.
PreparedMessage prepareMessage(QJsonObject body, std::optional<QImage> image,
                               std::optional<QString> filePath, VexaClient::JpegEncoder encoder)
{
    PreparedMessage prepared;
    if (image) {
        const QByteArray jpeg = encoder(*image, VexaClient::kPhotoJpegQuality);
        if (jpeg.isEmpty()) // the message would go out without the picture it is about
            prepared.refusal = photoUnreadableNotice();
        else if (jpeg.size() > VexaClient::kMaxPhotoBytes)
            prepared.refusal = photoTooLargeNotice();
        else
            body.insert(QStringLiteral("image_data_url"), base64DataUrl("image/jpeg", jpeg));
    }
    if (!prepared.refusal && filePath) {
        const QString path = localPath(*filePath);
        const FileAttachment file = readAttachment(path, VexaClient::kMaxFileBytes);
        if (file.outcome == FileAttachment::Outcome::Unreadable)
            prepared.refusal = fileUnreadableNotice();
        else if (file.outcome == FileAttachment::Outcome::TooLarge)
            prepared.refusal = fileTooLargeNotice();
        else
            body.insert(QStringLiteral("file_data"), fileData(path, file.bytes));
    }
    if (!prepared.refusal)
        prepared.json = QJsonDocument(body).toJson(QJsonDocument::Compact);
    return prepared;
}

QJsonObject selectBody(const QString &id)
{
    QJsonObject body;
    body.insert(QStringLiteral("chat_id"), id);
    return body;
}

} // namespace

QByteArray VexaClient::encodeJpeg(const QImage &image, int quality)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(image))
        return {};
    return bytes;
}

void VexaClient::setJpegEncoder(JpegEncoder encoder)
{
    m_jpegEncoder = encoder ? std::move(encoder) : JpegEncoder(&VexaClient::encodeJpeg);
}

void VexaClient::removeEntry(const QUuid &id)
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).id == id) {
            QList<ChatEntry> entries = m_entries;
            entries.removeAt(i);
            setEntries(std::move(entries));
            return;
        }
    }
}

QCoro::Task<> VexaClient::createChat()
{
    if (m_sending || m_chatsLoading)
        co_return;
    setChatsLoading(true);
    QPointer<VexaClient> self(this);
    auto reply = co_await fetchWithBody<VexaChatsResponse>(QString::fromLatin1("/api/chats"),
                                                           QJsonObject());
    if (!self)
        co_return;
    if (reply && reply->ok && reply->activeChatID) {
        applyChats(*reply);
        setNotice(std::nullopt);
    } else {
        setNotice(reply ? VexaError::invalidResponse().description() : describe(reply.error()));
    }
    setChatsLoading(false);
}

QCoro::Task<> VexaClient::selectChat(QString id)
{
    if (m_sending || m_chatsLoading)
        co_return;
    setChatsLoading(true);
    QPointer<VexaClient> self(this);
    auto reply = co_await fetchWithBody<VexaChatsResponse>(QString::fromLatin1("/api/chats/select"),
                                                           selectBody(id));
    if (!self)
        co_return;
    if (reply && reply->ok) {
        applyChats(*reply);
        setNotice(std::nullopt);
    } else {
        setNotice(reply ? VexaError::invalidResponse().description() : describe(reply.error()));
    }
    setChatsLoading(false);
}

QCoro::Task<std::optional<QString>> VexaClient::send(QString text, std::optional<QImage> image,
                               std::optional<QString> filePath,
                               std::optional<QString> modelOverride)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() && !image && !filePath)
        co_return std::nullopt;
    if (m_sending)
        co_return std::nullopt;
    if (modelOverride && !overrideIsAvailable(m_state, *modelOverride)) {
        setNotice(overrideUnavailableNotice());
        co_return std::nullopt;
    }

    setSending(true);
    const std::optional<QString> sentTo = m_activeChatID;
    ChatEntry optimistic = ChatEntry::make(ChatEntry::Role::User,
                                           optimisticText(trimmed, image || filePath));
    const QUuid optimisticID = optimistic.id;
    {
        QList<ChatEntry> entries = m_entries;
        entries.append(std::move(optimistic));
        setEntries(std::move(entries));
    }
    std::optional<QString> answer; // set once the service has answered
    QPointer<VexaClient> self(this);

    // The attachments are checked before anything goes out: a refused one sends nothing. A text
    // alone is written out here; attachments are prepared on the pool.
    QJsonObject body = messageBody(trimmed, modelOverride, m_state, m_activeChatID);
    std::optional<QString> refusal;
    std::optional<RequestBody> outgoing;
    if (image || filePath) {
        PreparedMessage prepared = co_await offthread::run(&prepareMessage, std::move(body), image,
                                                           filePath, m_jpegEncoder);
        if (!self)
            co_return std::nullopt;
        refusal = prepared.refusal;
        if (!refusal)
            outgoing = RequestBody::encoded(prepared.json);
    } else {
        outgoing = RequestBody(body);
    }

    if (refusal) {
        setNotice(refusal);
    } else {
        auto reply = co_await request(QString::fromLatin1("/api/chat"), std::move(outgoing));
        if (!self)
            co_return std::nullopt;
        if (reply && reply->answer && !reply->answer->isEmpty()) {
            QList<ChatEntry> entries = m_entries;
            entries.append(ChatEntry::make(ChatEntry::Role::Assistant, *reply->answer,
                                           reply->imageURL));
            setEntries(std::move(entries));
            answer = *reply->answer;
            if (reply->state)
                setState(reply->state);
            setNotice(std::nullopt);
            co_await syncChats();
            if (!self)
                co_return answer;
        } else {
            setNotice(reply ? VexaError::invalidResponse().description() : describe(reply.error()));
        }
    }

    setSending(false);
    if (!answer)
        removeEntry(optimisticID);
    reportChatAnswer(sentTo, answer);
    co_return answer;
}

void VexaClient::reportChatAnswer(const std::optional<QString> &sentTo,
                                  const std::optional<QString> &answer)
{
    // A first message makes its chat: the service's id for it is known after the chat sync.
    AnswerEvent event;
    event.kind = AnswerEvent::Kind::Chat;
    event.chatID = sentTo.value_or(m_activeChatID.value_or(QString()));
    for (const VexaSharedChat &chat : std::as_const(m_chats)) {
        if (chat.id == event.chatID)
            event.title = chat.title;
    }
    event.text = answer.value_or(QString());
    event.failed = !answer;
    Q_EMIT answerArrived(event);
}

void VexaClient::startCreateChat()
{
    detach(createChat());
}

void VexaClient::startSelectChat(const QString &id)
{
    detach(selectChat(id));
}

void VexaClient::startSend(const QString &text, const QUrl &file)
{
    std::optional<QString> path;
    if (!file.isEmpty())
        path = file.isLocalFile() ? file.toLocalFile() : file.toString();
    detach(send(text, std::nullopt, path, std::nullopt));
}

} // namespace vexa
