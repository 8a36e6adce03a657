#include "accountfixture.h"

#include <QCoro/QCoroTimer>
#include <QTimer>

namespace vexa::test {

QCoro::Task<> FakeImagesPlatform::waitReleased(std::shared_ptr<bool> released)
{
    while (!*released) {
        QTimer timer;
        timer.setSingleShot(true);
        timer.start(1);
        co_await timer;
    }
}

QImage testPicture(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

} // namespace vexa::test
