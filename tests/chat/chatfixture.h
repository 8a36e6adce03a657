#pragma once

// What the chat screen tests share: a client whose published state a test sets directly, a
// recording stand-in for the desktop, fake voice parts, and a view-model built on them.

#include "awaittask.h"
#include "chatplatform.h"
#include "chatviewmodel.h"
#include "voicefakes.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace vexa::test {

// A client that never reaches a service unless a test points it at one; its published state
// is set by hand.
class TestClient : public VexaClient
{
public:
    using VexaClient::VexaClient;
    using VexaClient::setActiveChatID;
    using VexaClient::setChats;
    using VexaClient::setChatsLoading;
    using VexaClient::setEntries;
    using VexaClient::setSelectingModel;
    using VexaClient::setSending;
    using VexaClient::setState;
};

class FakeChatPlatform final : public chat::ChatPlatform
{
public:
    QStringList copied;
    QList<QUrl> opened;
    QList<QUrl> openedImages;
    QList<QPair<QString, QString>> saved; // path, text
    std::optional<QString> saveError;
    QImage clipboardPicture;
    QList<QUrl> clipboardFiles;
    // Photo loads wait until the test releases them, so it can act while one is pending.
    struct PendingPhoto {
        QString path;
        std::shared_ptr<std::optional<QImage>> result;
        std::shared_ptr<bool> released;
    };
    QList<PendingPhoto> pendingPhotos;

    void copyText(const QString &text) override { copied.append(text); }
    QImage clipboardImage() const override { return clipboardPicture; }
    QList<QUrl> clipboardFileUrls() const override { return clipboardFiles; }
    bool openExternally(const QUrl &url) override
    {
        opened.append(url);
        return true;
    }
    bool openImage(const QUrl &url) override
    {
        openedImages.append(url);
        return true;
    }
    std::optional<QString> saveText(const QString &path, const QString &text) override
    {
        saved.append({path, text});
        return saveError;
    }
    QCoro::Task<std::optional<QImage>> loadPhoto(QString path) override;

    // Finishes the n-th load with this picture (a null image: the file could not be decoded).
    void finishPhoto(int n, const QImage &image)
    {
        auto &pending = pendingPhotos[n];
        if (!image.isNull())
            *pending.result = image;
        *pending.released = true;
    }
};

// The fake voice parts, shared with the VoiceService the view-model makes on first use.
using FakeVoice = voice::fakes::FakeVoiceParts;

// A view-model over a TestClient (or a client the test brings), fakes and a private store.
struct ChatRig {
    QTemporaryDir dir;
    std::shared_ptr<FakeChatPlatform> platform = std::make_shared<FakeChatPlatform>();
    FakeVoice voice;
    std::unique_ptr<TestClient> client;
    std::unique_ptr<ChatViewModel> view;

    explicit ChatRig(VexaClient *external = nullptr)
    {
        if (!external)
            client = std::make_unique<TestClient>(QStringLiteral("http://127.0.0.1:9"),
                                                  dir.filePath(QStringLiteral("cookies")));
        view = std::make_unique<ChatViewModel>(platform, voice.factory(), preferencesPath());
        view->setClient(external ? external : client.get());
        view->setSearchLocale(QLocale(QLocale::Russian, QLocale::Russia));
    }
    ~ChatRig()
    {
        for (int n = 0; n < platform->pendingPhotos.size(); ++n)
            *platform->pendingPhotos[n].released = true;
        view.reset();
        // A silence monitor cancelled mid-sleep ends at its next wake-up.
        voice.clock->advance(std::chrono::seconds(1));
    }

    chat::ChatComposer *composer() const { return view->composer(); }
    QString preferencesPath() const { return dir.filePath(QStringLiteral("prefs.ini")); }
    // Posts from the fake "audio" and "recognizer" threads reach the main thread.
    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
};

ChatEntry entry(ChatEntry::Role role, const QString &text,
                std::optional<QString> imageURL = std::nullopt);
ChatEntry userEntry(const QString &text);
ChatEntry answerEntry(const QString &text);
QImage picture(int width = 40, int height = 30);

} // namespace vexa::test
