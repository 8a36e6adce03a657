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
#include <QVariant>

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
// Carries a result from the pool back to the main thread, as the argument of a queued signal.
class PoolJob : public QObject
{
    Q_OBJECT
public:
    void finish(QVariant result) { Q_EMIT finished(std::move(result)); }
Q_SIGNALS:
    void finished(QVariant result);
};
} // namespace detail

// Starts `work` on the thread pool; `job` reports its result on the main thread. An ordinary
// function: with GCC 12 a lambda in a coroutine body that captures the coroutine's parameters
// corrupted them.
template <typename T>
void startOnPool(std::shared_ptr<detail::PoolJob> job, std::function<T()> work)
{
    QThreadPool::globalInstance()->start([job, work] {
        QVariant result = QVariant::fromValue(work());
        // Queued to the main thread, where the awaiter is already connected; the call keeps
        // the job alive until then.
        QMetaObject::invokeMethod(
            job.get(), [job, result = std::move(result)]() mutable { job->finish(std::move(result)); },
            Qt::QueuedConnection);
    });
}

// Runs `work` on the thread pool and resumes on the calling (main) thread with its result.
template <typename T>
QCoro::Task<T> onPool(std::function<T()> work)
{
    auto job = std::make_shared<detail::PoolJob>();
    startOnPool<T>(job, work);
    const QVariant result = co_await qCoro(job.get(), &detail::PoolJob::finished);
    T value = qvariant_cast<T>(result);
    co_return value;
}

} // namespace vexa::account
