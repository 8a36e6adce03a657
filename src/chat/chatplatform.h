#pragma once

// What the chat screen asks of the desktop: the clipboard, opening addresses outside the app,
// writing a shared text to a file, and reading a picked photo. The screen talks to this
// interface only, so tests run it against a fake.

#include <QCoro/QCoroTask>
#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace vexa::chat {

class ChatPlatform
{
public:
    virtual ~ChatPlatform() = default;

    virtual void copyText(const QString &text) = 0;
    // What a paste into the composer may attach: a picture, or local files.
    virtual QImage clipboardImage() const = 0;
    virtual QList<QUrl> clipboardFileUrls() const = 0;

    // Opens a web or mail address with the desktop's handler; false when none took it.
    virtual bool openExternally(const QUrl &url) = 0;
    // A picture address for the desktop's viewer: a data URL is written to a temporary file
    // first, since browsers refuse to open one handed over from outside.
    virtual bool openImage(const QUrl &url) = 0;

    // Writes the text (UTF-8) atomically; the error text for the user on failure.
    virtual std::optional<QString> saveText(const QString &path, const QString &text) = 0;

    // Reads and decodes a picked photo off the main thread; nothing when it cannot.
    virtual QCoro::Task<std::optional<QImage>> loadPhoto(QString path) = 0;

    // The desktop's own clipboard, handlers, files and image decoder.
    static std::shared_ptr<ChatPlatform> system();
};

// The mail address that opens a new message with the text as its body.
QUrl mailUrl(const QString &body);

// Whether a local file is a picture the photo attachment takes (by content, then name).
bool isPhotoFile(const QString &path);

} // namespace vexa::chat
