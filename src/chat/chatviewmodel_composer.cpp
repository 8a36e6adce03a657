// The chat screen's composer: the draft, its photo and file, sending, quick prompts.

#include "chatviewmodel.h"

#include "chatrules.h"

#include <QBuffer>
#include <QFileInfo>

namespace vexa {

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

void ChatViewModel::setDraft(const QString &draft)
{
    if (m_draft == draft)
        return;
    m_draft = draft;
    Q_EMIT draftChanged();
}

void ChatViewModel::setDraftFocused(bool focused)
{
    if (m_draftFocused == focused)
        return;
    m_draftFocused = focused;
    Q_EMIT draftFocusedChanged();
}

void ChatViewModel::setDictationPrefix(const QString &prefix)
{
    if (m_dictationPrefix == prefix)
        return;
    m_dictationPrefix = prefix;
    Q_EMIT dictationPrefixChanged();
}

QString ChatViewModel::attachedFileName() const
{
    return m_attachedFile.isEmpty() ? QString() : m_attachedFile.fileName();
}

bool ChatViewModel::canSend() const
{
    if (!m_client || m_client->sending())
        return false;
    return !chat::isBlank(m_draft) || m_attachedImage || !m_attachedFile.isEmpty();
}

void ChatViewModel::updateCanSend()
{
    const bool can = canSend();
    if (can == m_canSend)
        return;
    m_canSend = can;
    Q_EMIT canSendChanged();
}

QStringList ChatViewModel::quickPrompts() const
{
    return {QStringLiteral("Объясни сложную тему просто"), QStringLiteral("Помоги написать письмо"),
            QStringLiteral("Составь план проекта"), QStringLiteral("Проверь мой текст"),
            QStringLiteral("Помоги разобраться в коде")};
}

void ChatViewModel::send()
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

QCoro::Task<> ChatViewModel::runSend(QString text, std::optional<QImage> image,
                                     std::optional<QString> file)
{
    QPointer<VexaClient> client = m_client;
    QPointer<ChatViewModel> self(this);
    // The send's own outcome: the entry list afterwards is the service's copy, which may hold
    // fewer messages than before.
    const std::optional<QString> answer = co_await client->send(text, image, file, std::nullopt);
    if (!self || !client)
        co_return;
    if (answer) {
        if (m_voicePreferences->autoSpeak())
            speak(*answer);
        co_return;
    }
    // Not delivered: give it back to the composer unless the user is already writing the next one.
    if (chat::isBlank(m_draft) && !m_attachedImage && m_attachedFile.isEmpty()) {
        setDraft(text);
        setAttachedImage(image);
        if (file)
            setAttachedFile(QUrl::fromLocalFile(*file));
    }
}

void ChatViewModel::useQuickPrompt(const QString &prompt)
{
    setDraft(prompt);
    setDraftFocused(true);
}

void ChatViewModel::setPickedPhoto(const QUrl &url)
{
    ++m_photoGeneration; // whatever was loading is no longer wanted
    if (m_pickedPhoto == url)
        return;
    m_pickedPhoto = url;
    Q_EMIT pickedPhotoChanged();
}

void ChatViewModel::setAttachedImage(std::optional<QImage> image)
{
    if (!image && !m_attachedImage)
        return;
    m_attachedImage = std::move(image);
    m_thumbnail = m_attachedImage ? thumbnailDataUrl(*m_attachedImage) : QString();
    Q_EMIT attachedImageChanged();
}

void ChatViewModel::setAttachedFile(const QUrl &url)
{
    if (m_attachedFile == url)
        return;
    m_attachedFile = url;
    Q_EMIT attachedFileChanged();
}

void ChatViewModel::pickPhoto(const QUrl &url)
{
    setPickedPhoto(url);
    if (!url.isLocalFile())
        return;
    loadPickedPhoto(url, m_photoGeneration);
}

QCoro::Task<> ChatViewModel::loadPickedPhoto(QUrl url, quint64 generation)
{
    QPointer<ChatViewModel> self(this);
    std::shared_ptr<chat::ChatPlatform> platform = m_platform;
    std::optional<QImage> image = co_await platform->loadPhoto(url.toLocalFile());
    // A failed load changes nothing and says nothing; a pick replaced or removed meanwhile
    // must not come back.
    if (!self || generation != m_photoGeneration || !image)
        co_return;
    setAttachedImage(std::move(image));
}

void ChatViewModel::removePhoto()
{
    setAttachedImage(std::nullopt);
    setPickedPhoto(QUrl());
}

void ChatViewModel::attachFile(const QUrl &url)
{
    const QFileInfo info(url.toLocalFile());
    if (!url.isLocalFile() || !info.isFile() || !info.isReadable()) {
        if (m_client)
            m_client->showNotice(unreadableFileNotice());
        return;
    }
    setAttachedFile(url);
}

void ChatViewModel::removeFile()
{
    setAttachedFile(QUrl());
}

bool ChatViewModel::attachDropped(const QList<QUrl> &urls)
{
    bool photoTaken = false;
    bool fileTaken = false;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isFile())
            continue;
        if (!photoTaken && chat::isPhotoFile(url.toLocalFile())) {
            pickPhoto(url);
            photoTaken = true;
        } else if (!fileTaken) {
            attachFile(url);
            fileTaken = true;
        }
    }
    return photoTaken || fileTaken;
}

bool ChatViewModel::pasteAttachment()
{
    const QImage image = m_platform->clipboardImage();
    if (!image.isNull()) {
        setPickedPhoto(QUrl());
        setAttachedImage(image);
        return true;
    }
    return attachDropped(m_platform->clipboardFileUrls());
}

} // namespace vexa
