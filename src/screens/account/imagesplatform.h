#pragma once

// What the images screen and the productivity sheet ask of the desktop: reading and scaling a
// picked picture, writing a picture or a text file, the clipboard and opening links. The screens
// talk to this interface only, so tests run them against a fake.

#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTask>
#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace vexa::account {

// A picture and a copy small enough to draw at once; both made off the main thread.
struct LoadedPicture {
    QImage image;
    QImage preview;
};

class ImagesPlatform
{
public:
    virtual ~ImagesPlatform() = default;

    // Reads and decodes a picture file (EXIF rotation applied) off the main thread; nothing when
    // the file cannot be read or is not a picture.
    virtual QCoro::Task<std::optional<LoadedPicture>> loadPicture(QString path) = 0;
    // The copy of a picture the screen draws, made off the main thread.
    virtual QCoro::Task<QImage> preview(QImage image) = 0;
    // Writes the picture as PNG atomically (never a partial file), off the main thread; the
    // error text for the user on failure.
    virtual QCoro::Task<std::optional<QString>> savePng(QString path, QImage image) = 0;
    // Writes the text as UTF-8 atomically; the error text for the user on failure.
    virtual std::optional<QString> saveText(const QString &path, const QString &text) = 0;
    virtual void copyImage(const QImage &image) = 0;
    virtual void copyText(const QString &text) = 0;
    // Hands a link to the desktop; false when nothing took it.
    virtual bool openExternally(const QUrl &url) = 0;

    // The desktop's own decoder, files, clipboard and link handler.
    static std::shared_ptr<ImagesPlatform> system();
};

// The longest side of a drawn picture; larger pictures are drawn from a scaled copy.
inline constexpr int kPreviewSide = 1600;
QImage scaledPreview(const QImage &image, int side = kPreviewSide);
// The PNG bytes of a picture; empty when it cannot be encoded.
QByteArray pngBytes(const QImage &image);

namespace detail {
// Tells the main thread that work on the pool has finished.
class PoolJob : public QObject
{
    Q_OBJECT
public:
    void finish() { Q_EMIT finished(); }
Q_SIGNALS:
    void finished();
};
} // namespace detail

// Runs `work` on the thread pool and resumes on the calling (main) thread with its result.
template <typename T>
QCoro::Task<T> onPool(std::function<T()> work)
{
    auto job = std::make_shared<detail::PoolJob>();
    auto result = std::make_shared<std::optional<T>>();
    QThreadPool::globalInstance()->start([job, result, work = std::move(work)] {
        result->emplace(work());
        // Queued to the main thread, where the awaiter is already connected.
        QMetaObject::invokeMethod(job.get(), [job] { job->finish(); }, Qt::QueuedConnection);
    });
    co_await qCoro(job.get(), &detail::PoolJob::finished);
    co_return std::move(**result);
}

} // namespace vexa::account
