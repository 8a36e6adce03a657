#include "imagesplatform.h"

#include <QBuffer>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QImageReader>
#include <QSaveFile>

namespace vexa::account {

QImage scaledPreview(const QImage &image, int side)
{
    if (image.isNull() || (image.width() <= side && image.height() <= side))
        return image;
    return image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return {};
    return bytes;
}

namespace {

QString saveFailed(const QString &reason)
{
    return QStringLiteral("Не удалось сохранить файл: ") + reason;
}

std::optional<QString> writeAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return saveFailed(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return saveFailed(file.errorString());
    }
    if (!file.commit())
        return saveFailed(file.errorString());
    return std::nullopt;
}

std::optional<LoadedPicture> decodePicture(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true); // camera photos carry their rotation in EXIF
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    QImage preview = scaledPreview(image);
    return LoadedPicture{std::move(image), std::move(preview)};
}

std::optional<QString> writePng(const QString &path, const QImage &image)
{
    const QByteArray bytes = pngBytes(image);
    if (bytes.isEmpty())
        return saveFailed(QStringLiteral("изображение не удалось закодировать в PNG."));
    return writeAtomically(path, bytes);
}

// The work handed to the pool is made here, outside the coroutines: GCC 12 mishandles lambdas
// in a coroutine body that capture its parameters, and QStringLiteral and braced lists there.
std::function<std::optional<LoadedPicture>()> pictureDecoder(const QString &path)
{
    return [path] { return decodePicture(path); };
}

std::function<QImage()> previewMaker(const QImage &image)
{
    return [image] { return scaledPreview(image); };
}

std::function<std::optional<QString>()> pngWriter(const QString &path, const QImage &image)
{
    return [path, image] { return writePng(path, image); };
}

class SystemImagesPlatform final : public ImagesPlatform
{
public:
    QCoro::Task<std::optional<LoadedPicture>> loadPicture(QString path) override
    {
        auto picture = co_await onPool<std::optional<LoadedPicture>>(pictureDecoder(path));
        co_return picture;
    }

    QCoro::Task<QImage> preview(QImage image) override
    {
        QImage scaled = co_await onPool<QImage>(previewMaker(image));
        co_return scaled;
    }

    QCoro::Task<std::optional<QString>> savePng(QString path, QImage image) override
    {
        auto error = co_await onPool<std::optional<QString>>(pngWriter(path, image));
        co_return error;
    }

    std::optional<QString> saveText(const QString &path, const QString &text) override
    {
        return writeAtomically(path, text.toUtf8());
    }

    void copyImage(const QImage &image) override { QGuiApplication::clipboard()->setImage(image); }
    void copyText(const QString &text) override { QGuiApplication::clipboard()->setText(text); }
    bool openExternally(const QUrl &url) override { return QDesktopServices::openUrl(url); }
};

} // namespace

std::shared_ptr<ImagesPlatform> ImagesPlatform::system()
{
    return std::make_shared<SystemImagesPlatform>();
}

} // namespace vexa::account
