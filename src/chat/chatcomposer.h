#pragma once

// The message composer: the draft, its photo and file, dictation into the draft, and sending.
// The chat screen owns one (ChatViewModel::composer); the composer knows nothing of the message
// list, the sheets or the search. It sends through the client it is given and tells its owner
// when an answer came back (`answered`), so the owner decides what else happens then (reading
// it aloud, for the chat).

#include "chatplatform.h"
#include "vexaclient.h"
#include "voicepreferences.h"
#include "voiceservice.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>
#include <optional>

namespace vexa::chat {

class ChatComposer : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by ChatViewModel.")
    Q_PROPERTY(QString draft READ draft WRITE setDraft NOTIFY draftChanged)
    Q_PROPERTY(bool draftFocused READ draftFocused WRITE setDraftFocused NOTIFY draftFocusedChanged)
    Q_PROPERTY(QString dictationPrefix READ dictationPrefix NOTIFY dictationPrefixChanged)
    Q_PROPERTY(QUrl pickedPhoto READ pickedPhoto NOTIFY pickedPhotoChanged)
    Q_PROPERTY(bool hasAttachedImage READ hasAttachedImage NOTIFY attachedImageChanged)
    // A small PNG data URL of the attached photo for the composer's chip.
    Q_PROPERTY(QString attachedImageThumbnail READ attachedImageThumbnail NOTIFY attachedImageChanged)
    Q_PROPERTY(QUrl attachedFile READ attachedFile NOTIFY attachedFileChanged)
    Q_PROPERTY(QString attachedFileName READ attachedFileName NOTIFY attachedFileChanged)
    Q_PROPERTY(bool canSend READ canSend NOTIFY canSendChanged)
    Q_PROPERTY(QStringList quickPrompts READ quickPrompts CONSTANT)
    Q_PROPERTY(bool listening READ listening NOTIFY listeningChanged)
    Q_PROPERTY(QString voiceError READ voiceError NOTIFY voiceErrorChanged)

public:
    // The owner's voice, made when dictation first asks for it.
    using VoiceSource = std::function<voice::VoiceService *()>;

    // `preferences` (the dictation's language and whether it may go online) outlive the composer.
    ChatComposer(std::shared_ptr<ChatPlatform> platform, voice::VoicePreferences *preferences,
                 VoiceSource voiceSource, QObject *parent = nullptr);

    void setClient(VexaClient *client);
    // The owner made its voice (for dictation or for speaking): the composer shows its state.
    void useVoice(voice::VoiceService *service);

    QString draft() const { return m_draft; }
    void setDraft(const QString &draft);
    bool draftFocused() const { return m_draftFocused; }
    void setDraftFocused(bool focused);
    QString dictationPrefix() const { return m_dictationPrefix; }
    QUrl pickedPhoto() const { return m_pickedPhoto; }
    bool hasAttachedImage() const { return m_attachedImage.has_value(); }
    const std::optional<QImage> &attachedImage() const { return m_attachedImage; }
    QString attachedImageThumbnail() const { return m_thumbnail; }
    QUrl attachedFile() const { return m_attachedFile; }
    QString attachedFileName() const;
    bool canSend() const;
    QStringList quickPrompts() const;
    bool listening() const;
    QString voiceError() const;

    // The draft replaced from outside the field (a quote, a requested chat) and focused.
    void putDraft(const QString &draft);

    // Clears the composer at once and sends what it held in the background. Does nothing
    // when the send button would be disabled. A send that fails gives the text and the
    // attachments back, unless the user has started on a new message meanwhile.
    Q_INVOKABLE void send();
    Q_INVOKABLE void useQuickPrompt(const QString &prompt);
    Q_INVOKABLE void toggleDictation();
    // The photo picker's choice (a local file URL); loading it attaches the picture.
    Q_INVOKABLE void pickPhoto(const QUrl &url);
    Q_INVOKABLE void removePhoto();
    // The file importer's choice; a file that cannot be read is refused through the notice.
    Q_INVOKABLE void attachFile(const QUrl &url);
    Q_INVOKABLE void removeFile();
    // Dropped files: the first picture becomes the photo, the first other file the file.
    // True when something was attached.
    Q_INVOKABLE bool attachDropped(const QList<QUrl> &urls);
    // A paste into the composer: true when the clipboard held a picture or files and they
    // were attached (the text field then pastes nothing).
    Q_INVOKABLE bool pasteAttachment();

Q_SIGNALS:
    void draftChanged();
    void draftFocusedChanged();
    void dictationPrefixChanged();
    void pickedPhotoChanged();
    void attachedImageChanged();
    void attachedFileChanged();
    void canSendChanged();
    void listeningChanged();
    void voiceErrorChanged();
    // A message this composer sent was answered.
    void answered(const QString &answer);

private:
    QCoro::Task<> runSend(QString text, std::optional<QImage> image, std::optional<QString> file);
    QCoro::Task<> loadPickedPhoto(QUrl url, quint64 generation);
    void setAttachedImage(std::optional<QImage> image);
    void setAttachedFile(const QUrl &url);
    void setPickedPhoto(const QUrl &url);
    void setDictationPrefix(const QString &prefix);
    void updateCanSend();
    void mergeTranscript();
    bool isEmpty() const;

    std::shared_ptr<ChatPlatform> m_platform;
    voice::VoicePreferences *m_preferences;
    VoiceSource m_voiceSource;
    QPointer<voice::VoiceService> m_voice;
    QPointer<VexaClient> m_client;
    QMetaObject::Connection m_sendingConnection;

    QString m_draft;
    bool m_draftFocused = false;
    QString m_dictationPrefix;
    QUrl m_pickedPhoto;
    quint64 m_photoGeneration = 0; // a load for an older pick attaches nothing
    std::optional<QImage> m_attachedImage;
    QString m_thumbnail;
    QUrl m_attachedFile;
    bool m_canSend = false;

    // Where the live transcript sits in the draft: the user's text before and after it, and
    // the draft as dictation last wrote it (a different draft means the user changed it).
    struct Dictation {
        QString head;
        bool separated = true; // a space goes between head and words, as at the start
        QString tail;
        QString shown;         // the transcript last written
        QString written;
        bool frozen = false;
    };
    Dictation m_dictation;
};

} // namespace vexa::chat
