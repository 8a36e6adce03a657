#include "chatfixture.h"

#include <QCoro/QCoroTimer>

namespace vexa::test {

namespace {

// Wakes a waiting photo load when the test releases it.
QCoro::Task<> pollUntil(std::shared_ptr<bool> released)
{
    QTimer timer;
    timer.setInterval(5);
    timer.start();
    while (!*released)
        co_await timer; // (a queued wait on timeout() would hand the slot a null QPrivateSignal)
}

} // namespace

QCoro::Task<std::optional<QImage>> FakeChatPlatform::loadPhoto(QString path)
{
    auto result = std::make_shared<std::optional<QImage>>();
    auto released = std::make_shared<bool>(false);
    pendingPhotos.append(PendingPhoto{path, result, released});
    co_await pollUntil(released);
    co_return std::optional<QImage>(*result);
}

ChatEntry entry(ChatEntry::Role role, const QString &text, std::optional<QString> imageURL)
{
    return ChatEntry::make(role, text, std::move(imageURL));
}

ChatEntry userEntry(const QString &text)
{
    return entry(ChatEntry::Role::User, text);
}

ChatEntry answerEntry(const QString &text)
{
    return entry(ChatEntry::Role::Assistant, text);
}

QImage picture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 200));
    return image;
}

} // namespace vexa::test
