#include "chatplatform.h"

#include "sharing.h"

#include <QBuffer>
#include <QClipboard>
#include <QCoro/QCoroSignal>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QThreadPool>

namespace vexa::chat {

namespace {

// Carries a decoded photo from the pool thread back to the main thread.
class PhotoJob : public QObject
{
    Q_OBJECT
public:
    void deliver(std::optional<QImage> image) { Q_EMIT done(std::move(image)); }
Q_SIGNALS:
    void done(std::optional<QImage> image);
};

std::optional<QImage> decodePhoto(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true); // camera photos carry their rotation in EXIF
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

// The payload of a data URL and the file suffix its media type suggests.
std::optional<std::pair<QByteArray, QString>> dataUrlPayload(const QUrl &url)
{
    const QString text = url.toString(QUrl::FullyEncoded);
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0)
        return std::nullopt;
    const QString header = text.mid(5, comma - 5); // after "data:"
    const QByteArray encoded = QByteArray::fromPercentEncoding(text.mid(comma + 1).toLatin1());
    QByteArray bytes;
    if (header.endsWith(QLatin1String(";base64"))) {
        auto decoded = QByteArray::fromBase64Encoding(encoded,
                                                      QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        bytes = *decoded;
    } else {
        bytes = encoded;
    }
    const QString mediaType = header.section(QLatin1Char(';'), 0, 0);
    const QMimeType mime = QMimeDatabase().mimeTypeForName(mediaType);
    QString suffix = mime.isValid() ? mime.preferredSuffix() : QString();
    if (suffix.isEmpty())
        suffix = QMimeDatabase().mimeTypeForData(bytes).preferredSuffix();
    return std::pair{bytes, suffix.isEmpty() ? QStringLiteral("img") : suffix};
}

class SystemChatPlatform final : public ChatPlatform
{
public:
    void copyText(const QString &text) override
    {
        QGuiApplication::clipboard()->setText(text);
    }

    QImage clipboardImage() const override
    {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        if (!data || !data->hasImage())
            return {};
        return qvariant_cast<QImage>(data->imageData());
    }

    QList<QUrl> clipboardFileUrls() const override
    {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QList<QUrl> files;
        if (!data || !data->hasUrls())
            return files;
        for (const QUrl &url : data->urls()) {
            if (url.isLocalFile())
                files.append(url);
        }
        return files;
    }

    bool openExternally(const QUrl &url) override { return QDesktopServices::openUrl(url); }

    bool openImage(const QUrl &url) override
    {
        if (url.scheme() != QLatin1String("data"))
            return QDesktopServices::openUrl(url);
        const auto payload = dataUrlPayload(url);
        if (!payload)
            return false;
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
        QTemporaryFile file(QDir(folder).filePath(QStringLiteral("vexa-image-XXXXXX.")
                                                  + payload->second));
        file.setAutoRemove(false); // the viewer opens it after we return
        if (!file.open() || file.write(payload->first) != payload->first.size())
            return false;
        file.close();
        return QDesktopServices::openUrl(QUrl::fromLocalFile(file.fileName()));
    }

    std::optional<QString> saveText(const QString &path, const QString &text) override
    {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return QStringLiteral("Не удалось сохранить файл: ") + file.errorString();
        }
        file.write(text.toUtf8());
        if (!file.commit())
            return QStringLiteral("Не удалось сохранить файл: ") + file.errorString();
        return std::nullopt;
    }

    QCoro::Task<std::optional<QImage>> loadPhoto(QString path) override
    {
        auto job = std::make_shared<PhotoJob>();
        QThreadPool::globalInstance()->start([job, path] {
            std::optional<QImage> image = decodePhoto(path);
            // Delivered on the main thread, where the job lives and the awaiter waits; the
            // queued call keeps the job alive until then.
            QMetaObject::invokeMethod(
                job.get(), [job, image = std::move(image)]() mutable { job->deliver(image); },
                Qt::QueuedConnection);
        });
        auto image = co_await qCoro(job.get(), &PhotoJob::done);
        co_return image;
    }
};

} // namespace

std::shared_ptr<ChatPlatform> ChatPlatform::system()
{
    return std::make_shared<SystemChatPlatform>();
}

QUrl mailUrl(const QString &body)
{
    return style::mailUrl(body);
}

bool isPhotoFile(const QString &path)
{
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(path);
    if (!mime.name().startsWith(QLatin1String("image/")))
        return false;
    return QImageReader::supportedMimeTypes().contains(mime.name().toLatin1());
}

} // namespace vexa::chat

#include "chatplatform.moc"
