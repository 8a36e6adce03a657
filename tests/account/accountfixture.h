#pragma once

// What the images and productivity tests share: a recording stand-in for the desktop whose
// picture loads finish when the test says, and a signed-in client against the local service.

#include "awaittask.h"
#include "imagesplatform.h"
#include "opsfixture.h"

#include <QImage>
#include <QList>
#include <QTest>

#include <memory>

namespace vexa::test {

class FakeImagesPlatform final : public account::ImagesPlatform
{
public:
    struct PendingLoad {
        QString path;
        std::shared_ptr<std::optional<account::LoadedPicture>> result;
        std::shared_ptr<bool> released;
    };
    QList<PendingLoad> loads;
    QList<QPair<QString, QImage>> savedPictures;
    QList<QPair<QString, QString>> savedTexts;
    std::optional<QString> saveError;
    QList<QImage> copiedImages;
    QStringList copiedTexts;
    QList<QUrl> opened;

    QCoro::Task<std::optional<account::LoadedPicture>> loadPicture(QString path) override
    {
        const PendingLoad load = newLoad(path);
        loads.append(load);
        co_await waitReleased(load.released);
        std::optional<account::LoadedPicture> picture = *load.result;
        co_return picture;
    }
    // Finishes the n-th load with this picture (a null image: not a picture).
    void finishLoad(int n, const QImage &image)
    {
        if (!image.isNull())
            *loads[n].result = account::LoadedPicture{image, image};
        *loads[n].released = true;
    }
    QCoro::Task<QImage> preview(QImage image) override
    {
        QImage copy = image;
        co_return copy;
    }
    QCoro::Task<std::optional<QString>> savePng(QString path, QImage image) override
    {
        savedPictures.append(qMakePair(path, image));
        std::optional<QString> error = saveError;
        co_return error;
    }
    std::optional<QString> saveText(const QString &path, const QString &text) override
    {
        savedTexts.append({path, text});
        return saveError;
    }
    void copyImage(const QImage &image) override { copiedImages.append(image); }
    void copyText(const QString &text) override { copiedTexts.append(text); }
    bool openExternally(const QUrl &url) override
    {
        opened.append(url);
        return true;
    }

private:
    static PendingLoad newLoad(const QString &path)
    {
        return {path, std::make_shared<std::optional<account::LoadedPicture>>(),
                std::make_shared<bool>(false)};
    }
    // Polls on the event loop (a zero timer each turn) until the test releases the load.
    static QCoro::Task<> waitReleased(std::shared_ptr<bool> released);
};

QImage testPicture(int width, int height, QColor color);

} // namespace vexa::test
