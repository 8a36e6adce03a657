// The window's remembered place and the one-instance guard, in process.

#include "singleinstance.h"
#include "awaittask.h"
#include "windowmemory.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using vexa::SingleInstance;
using vexa::WindowMemory;

class WindowPlacementTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placeOnScreens_data();
    void placeOnScreens();
    void rememberedAcrossInstances();
    void sidebarWidthIsClamped_data();
    void sidebarWidthIsClamped();
    void secondLaunchHandsOver();
    void socketLeftByACrashIsTakenOver();
};

void WindowPlacementTest::placeOnScreens_data()
{
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QRect>("expected");

    const QRect laptop(0, 0, 1920, 1080);
    const QRect right(1920, 0, 2560, 1440);
    const QSize minimum(340, 480);

    QTest::newRow("on the screen stays") << QRect(100, 80, 1180, 780) << QList<QRect>{laptop}
                                         << QRect(100, 80, 1180, 780);
    QTest::newRow("on the second screen stays")
        << QRect(2200, 100, 1180, 780) << QList<QRect>{laptop, right} << QRect(2200, 100, 1180, 780);
    // The second monitor was unplugged: the window comes back, centred on the first.
    QTest::newRow("on a screen that is gone")
        << QRect(2200, 100, 1180, 780) << QList<QRect>{laptop} << QRect(370, 150, 1180, 780);
    // Only the bottom of the window shows: the title bar is above the screen, out of reach.
    QTest::newRow("title bar above the screen")
        << QRect(100, -700, 1180, 780) << QList<QRect>{laptop} << QRect(370, 150, 1180, 780);
    QTest::newRow("title bar just reachable at the left edge")
        << QRect(-1000, 50, 1180, 780) << QList<QRect>{laptop} << QRect(-1000, 50, 1180, 780);
    QTest::newRow("a sliver at the left edge is not")
        << QRect(-1150, 50, 1180, 780) << QList<QRect>{laptop} << QRect(370, 150, 1180, 780);
    // Saved on a large monitor, restored on a small screen: shrunk to fit it.
    QTest::newRow("larger than the only screen")
        << QRect(3000, 0, 2500, 1400) << QList<QRect>{QRect(0, 0, 1366, 768)} << QRect(0, 0, 1366, 768);
    QTest::newRow("smaller than the minimum grows")
        << QRect(10, 10, 100, 100) << QList<QRect>{laptop} << QRect(10, 10, 340, 480);
    QTest::newRow("no screens known") << QRect(5000, 5000, 800, 600) << QList<QRect>{}
                                      << QRect(5000, 5000, 800, 600);
    Q_UNUSED(minimum);
}

void WindowPlacementTest::placeOnScreens()
{
    QFETCH(QRect, saved);
    QFETCH(QList<QRect>, screens);
    QFETCH(QRect, expected);
    QCOMPARE(WindowMemory::placeOnScreens(saved, screens, QSize(340, 480)), expected);
}

void WindowPlacementTest::rememberedAcrossInstances()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("settings.ini"));
    {
        WindowMemory first(ini);
        QVERIFY(!first.restoredGeometry({QRect(0, 0, 1920, 1080)}, QSize(340, 480)));
        first.save(QRect(40, 60, 900, 700), true);
        first.setSidebarWidth(333);
    }
    WindowMemory next(ini);
    QCOMPARE(next.restoredGeometry({QRect(0, 0, 1920, 1080)}, QSize(340, 480)),
             std::optional<QRect>(QRect(40, 60, 900, 700)));
    QVERIFY(next.restoredMaximized());
    QCOMPARE(next.sidebarWidth(), 333.0);
}

void WindowPlacementTest::sidebarWidthIsClamped_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<qreal>("expected");
    QTest::newRow("unset") << QVariant() << WindowMemory::kDefaultSidebarWidth;
    QTest::newRow("within") << QVariant(300.0) << 300.0;
    QTest::newRow("too narrow") << QVariant(12.0) << WindowMemory::kMinimumSidebarWidth;
    QTest::newRow("too wide") << QVariant(5000.0) << WindowMemory::kMaximumSidebarWidth;
    QTest::newRow("not a number") << QVariant(QStringLiteral("wide")) << WindowMemory::kDefaultSidebarWidth;
}

void WindowPlacementTest::sidebarWidthIsClamped()
{
    QFETCH(QVariant, stored);
    QFETCH(qreal, expected);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("settings.ini"));
    if (stored.isValid()) {
        QSettings settings(ini, QSettings::IniFormat);
        settings.setValue(WindowMemory::kSidebarWidthKey, stored);
    }
    WindowMemory memory(ini);
    QCOMPARE(memory.sidebarWidth(), expected);
    // Dragging past the limits stops at them.
    memory.setSidebarWidth(-50);
    QCOMPARE(memory.sidebarWidth(), WindowMemory::kMinimumSidebarWidth);
    memory.setSidebarWidth(10000);
    QCOMPARE(memory.sidebarWidth(), WindowMemory::kMaximumSidebarWidth);
}

void WindowPlacementTest::secondLaunchHandsOver()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("app.socket"));

    SingleInstance first(path);
    QSignalSpy firstPrimary(&first, &SingleInstance::primary);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    first.claim();
    QVERIFY(vexa::test::waitUntil([&] { return firstPrimary.count() == 1; }, 5000));
    QVERIFY(first.isPrimary());

    for (int launch = 0; launch < 2; ++launch) {
        SingleInstance later(path);
        QSignalSpy handedOver(&later, &SingleInstance::handedOver);
        QSignalSpy laterPrimary(&later, &SingleInstance::primary);
        later.claim();
        QVERIFY(vexa::test::waitUntil([&] { return handedOver.count() == 1; }, 5000));
        QVERIFY(vexa::test::waitUntil([&] { return activations.count() == launch + 1; }, 5000));
        QCOMPARE(laterPrimary.count(), 0);
        QVERIFY(!later.isPrimary());
    }
}

void WindowPlacementTest::socketLeftByACrashIsTakenOver()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("app.socket"));
    // A socket file whose owner died without removing it: nobody listens behind it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    QVERIFY(size_t(native.size()) < sizeof(address.sun_path));
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);
    QVERIFY(QFileInfo::exists(path));

    SingleInstance next(path);
    QSignalSpy primary(&next, &SingleInstance::primary);
    QSignalSpy failed(&next, &SingleInstance::failed);
    next.claim();
    QVERIFY(vexa::test::waitUntil([&] { return primary.count() + failed.count() > 0; }, 5000));
    QCOMPARE(failed.count(), 0);
    QVERIFY(next.isPrimary());
}

QTEST_GUILESS_MAIN(WindowPlacementTest)
#include "tst_windowplacement.moc"
