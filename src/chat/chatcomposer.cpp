// The chat screen's composer: the draft, its photo and file, dictation, sending, quick prompts.

#include "chatcomposer.h"

#include "chatrules.h"

#include <QBuffer>
#include <QFileInfo>

namespace vexa::chat {

namespace {

QString unreadableFileNotice()
{
    return QStringLiteral("Не удалось открыть выбранный файл.");
}

constexpr int kThumbnailPixels = 116; // the chip shows 58 points; sharp at twice that

QString thumbnailDataUrl(const QImage &image)
{
    const QImage small = image.scaled(kThumbnailPixels, kThumbnailPixels,
                                      Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    small.save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

} // namespace

ChatComposer::ChatComposer(std::shared_ptr<ChatPlatform> platform,
                           voice::VoicePreferences *preferences, VoiceSource voiceSource,
                           QObject *parent)
    : QObject(parent),
      m_platform(std::move(platform)),
      m_preferences(preferences),
      m_voiceSource(std::move(voiceSource))
{
    connect(this, &ChatComposer::draftChanged, this, &ChatComposer::updateCanSend);
    connect(this, &ChatComposer::attachedImageChanged, this, &ChatComposer::updateCanSend);
    connect(this, &ChatComposer::attachedFileChanged, this, &ChatComposer::updateCanSend);
}

void ChatComposer::setClient(VexaClient *client)
{
    if (m_client == client)
        return;
    disconnect(m_sendingConnection);
    m_client = client;
    if (client)
        m_sendingConnection = connect(client, &VexaClient::sendingChanged, this,
                                      &ChatComposer::updateCanSend);
    updateCanSend();
}

void ChatComposer::useVoice(voice::VoiceService *service)
{
    if (m_voice == service)
        return;
    if (m_voice)
        disconnect(m_voice, nullptr, this, nullptr);
    m_voice = service;
    if (service) {
        connect(service, &voice::VoiceService::isListeningChanged, this,
                &ChatComposer::listeningChanged);
        connect(service, &voice::VoiceService::errorMessageChanged, this,
                &ChatComposer::voiceErrorChanged);
        connect(service, &voice::VoiceService::transcriptChanged, this,
                &ChatComposer::mergeTranscript);
    }
    Q_EMIT listeningChanged();
    Q_EMIT voiceErrorChanged();
}

void ChatComposer::setDraft(const QString &draft)
{
    if (m_draft == draft)
        return;
    m_draft = draft;
    Q_EMIT draftChanged();
}

void ChatComposer::putDraft(const QString &draft)
{
    setDraft(draft);
    setDraftFocused(true);
}

void ChatComposer::setDraftFocused(bool focused)
{
    if (m_draftFocused == focused)
        return;
    m_draftFocused = focused;
    Q_EMIT draftFocusedChanged();
}

void ChatComposer::setDictationPrefix(const QString &prefix)
{
    if (m_dictationPrefix == prefix)
        return;
    m_dictationPrefix = prefix;
    Q_EMIT dictationPrefixChanged();
}

QString ChatComposer::attachedFileName() const
{
    return m_attachedFile.isEmpty() ? QString() : m_attachedFile.fileName();
}

bool ChatComposer::isEmpty() const
{
    return isBlank(m_draft) && !m_attachedImage && m_attachedFile.isEmpty();
}

bool ChatComposer::canSend() const
{
    return m_client && !m_client->sending() && !isEmpty();
}

void ChatComposer::updateCanSend()
{
    const bool can = canSend();
    if (can == m_canSend)
        return;
    m_canSend = can;
    Q_EMIT canSendChanged();
}

QStringList ChatComposer::quickPrompts() const
{
    return {QStringLiteral("Объясни сложную тему просто"), QStringLiteral("Помоги написать письмо"),
            QStringLiteral("Составь план проекта"), QStringLiteral("Проверь мой текст"),
            QStringLiteral("Помоги разобраться в коде")};
}

void ChatComposer::send()
{
    if (!canSend())
        return;
    if (m_voice)
        m_voice->stopListening();
    // Haptic feedback: desktops have no actuator, so the preference changes nothing here.
    const QString text = m_draft;
    std::optional<QImage> image = m_attachedImage;
    std::optional<QString> file;
    if (!m_attachedFile.isEmpty())
        file = m_attachedFile.toLocalFile();

    // The composer empties before anything goes out, so a second press cannot resend it.
    setDraft(QString());
    setAttachedImage(std::nullopt);
    setAttachedFile(QUrl());
    setPickedPhoto(QUrl());
    // The keyboard stays in the composer: a desktop user types the next message at once.
    runSend(text, std::move(image), std::move(file));
}

QCoro::Task<> ChatComposer::runSend(QString text, std::optional<QImage> image,
                                     std::optional<QString> file)
{
    QPointer<VexaClient> client = m_client;
    QPointer<ChatComposer> self(this);
    // The send's own outcome: the entry list afterwards is the service's copy, which may hold
    // fewer messages than before.
    const std::optional<QString> answer = co_await client->send(text, image, file, std::nullopt);
    if (!self || !client)
        co_return;
    if (answer) {
        Q_EMIT answered(*answer);
        co_return;
    }
    // Not delivered: give it back to the composer unless the user is already writing the next one.
    if (isEmpty()) {
        setDraft(text);
        setAttachedImage(image);
        if (file)
            setAttachedFile(QUrl::fromLocalFile(*file));
    }
}

void ChatComposer::useQuickPrompt(const QString &prompt)
{
    putDraft(prompt);
}

void ChatComposer::setPickedPhoto(const QUrl &url)
{
    ++m_photoGeneration; // whatever was loading is no longer wanted
    if (m_pickedPhoto == url)
        return;
    m_pickedPhoto = url;
    Q_EMIT pickedPhotoChanged();
}

void ChatComposer::setAttachedImage(std::optional<QImage> image)
{
    if (!image && !m_attachedImage)
        return;
    m_attachedImage = std::move(image);
    m_thumbnail = m_attachedImage ? thumbnailDataUrl(*m_attachedImage) : QString();
    Q_EMIT attachedImageChanged();
}

void ChatComposer::setAttachedFile(const QUrl &url)
{
    if (m_attachedFile == url)
        return;
    m_attachedFile = url;
    Q_EMIT attachedFileChanged();
}

void ChatComposer::pickPhoto(const QUrl &url)
{
    setPickedPhoto(url);
    if (!url.isLocalFile())
        return;
    loadPickedPhoto(url, m_photoGeneration);
}

QCoro::Task<> ChatComposer::loadPickedPhoto(QUrl url, quint64 generation)
{
    QPointer<ChatComposer> self(this);
    std::shared_ptr<ChatPlatform> platform = m_platform;
    std::optional<QImage> image = co_await platform->loadPhoto(url.toLocalFile());
    // A failed load changes nothing and says nothing; a pick replaced or removed meanwhile
    // must not come back.
    if (!self || generation != m_photoGeneration || !image)
        co_return;
    setAttachedImage(std::move(image));
}

void ChatComposer::removePhoto()
{
    setAttachedImage(std::nullopt);
    setPickedPhoto(QUrl());
}

void ChatComposer::attachFile(const QUrl &url)
{
    const QFileInfo info(url.toLocalFile());
    if (!url.isLocalFile() || !info.isFile() || !info.isReadable()) {
        if (m_client)
            m_client->showNotice(unreadableFileNotice());
        return;
    }
    setAttachedFile(url);
}

void ChatComposer::removeFile()
{
    setAttachedFile(QUrl());
}

bool ChatComposer::attachDropped(const QList<QUrl> &urls)
{
    bool photoTaken = false;
    bool fileTaken = false;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isFile())
            continue;
        if (!photoTaken && isPhotoFile(url.toLocalFile())) {
            pickPhoto(url);
            photoTaken = true;
        } else if (!fileTaken) {
            attachFile(url);
            fileTaken = true;
        }
    }
    return photoTaken || fileTaken;
}

bool ChatComposer::pasteAttachment()
{
    const QImage image = m_platform->clipboardImage();
    if (!image.isNull()) {
        setPickedPhoto(QUrl());
        setAttachedImage(image);
        return true;
    }
    return attachDropped(m_platform->clipboardFileUrls());
}

// ---- Dictation ----

bool ChatComposer::listening() const
{
    return m_voice && m_voice->isListening();
}

QString ChatComposer::voiceError() const
{
    return m_voice ? m_voice->errorMessage().value_or(QString()) : QString();
}

void ChatComposer::toggleDictation()
{
    voice::VoiceService *service = m_voiceSource();
    useVoice(service);
    if (service->isListening()) {
        service->stopListening();
        return;
    }
    setDictationPrefix(m_draft);
    m_dictation = Dictation{m_draft, true, QString(), QString(), m_draft, false};
    service->startListening(m_preferences->locale(), m_preferences->allowOnline());
}

void ChatComposer::mergeTranscript()
{
    const QString transcript = m_voice->transcript();
    if (!m_voice->isListening() && transcript.isEmpty())
        return;
    Dictation &d = m_dictation;
    if (m_draft != d.written) {
        // The user changed the composer while dictating (typed, quoted, picked a prompt): what
        // they changed stays, and the live words go on where they stand in the new text.
        const qsizetype at = d.shown.isEmpty() ? -1 : m_draft.lastIndexOf(d.shown);
        if (d.shown.isEmpty()) {
            d = Dictation{m_draft, true, QString(), QString(), m_draft, false};
        } else if (at >= 0) {
            d.head = m_draft.left(at);
            d.separated = false;
            d.tail = m_draft.mid(at + d.shown.size());
        } else {
            d.frozen = true; // the dictated words themselves were edited: leave the text alone
        }
    }
    if (d.frozen)
        return;
    d.shown = transcript;
    d.written = (d.separated ? dictatedDraft(d.head, transcript) : d.head + transcript) + d.tail;
    setDraft(d.written);
}

} // namespace vexa::chat
