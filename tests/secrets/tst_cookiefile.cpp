// The cookie file holds the session: no one but the user may read it at any moment, and a
// process killed in the middle of rewriting it never leaves a file that does not load.
//
// A child rewrites the file through the real jar in a loop while this process watches the folder
// with inotify: every file created there is looked at the moment it appears, and a change of
// mode afterwards (IN_ATTRIB) means it existed for a while with the wrong one.

#include "awaittask.h"
#include "cookiesaveloop.h"
#include "cookiestore.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vexa;
using namespace vexa::test;

namespace {

// Watches one folder from its own thread and writes down what breaks "owner only from the first
// byte".
class ModeWatcher
{
public:
    explicit ModeWatcher(const QString &folder) : m_folder(QFile::encodeName(folder))
    {
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0)
            ::inotify_add_watch(m_fd, m_folder.constData(),
                                IN_CREATE | IN_ATTRIB | IN_MOVED_TO | IN_CLOSE_WRITE);
        m_thread = std::thread([this] { run(); });
    }
    ~ModeWatcher()
    {
        m_stop = true;
        m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool valid() const { return m_fd >= 0; }
    int created() const { return m_created; }
    QStringList violations() const
    {
        QMutexLocker lock(&m_mutex);
        return m_violations;
    }

private:
    void run()
    {
        alignas(inotify_event) char buffer[16 * 1024];
        while (!m_stop) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            for (ssize_t at = 0; at < n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                at += ssize_t(sizeof(inotify_event) + event->len);
                if (event->len == 0)
                    continue;
                const QByteArray name(event->name);
                if (event->mask & IN_ATTRIB)
                    note(QStringLiteral("the mode of %1 changed after it was created")
                             .arg(QString::fromLocal8Bit(name)));
                if (event->mask & IN_CREATE)
                    ++m_created;
                struct stat st {};
                if (::lstat((m_folder + '/' + name).constData(), &st) != 0)
                    continue; // already renamed or removed
                if ((st.st_mode & 077) != 0 || !S_ISREG(st.st_mode))
                    note(QStringLiteral("%1 seen with mode %2")
                             .arg(QString::fromLocal8Bit(name))
                             .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0')));
            }
        }
    }
    void note(const QString &what)
    {
        QMutexLocker lock(&m_mutex);
        if (m_violations.size() < 20)
            m_violations.append(what);
    }

    QByteArray m_folder;
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_created{0};
    mutable QMutex m_mutex;
    QStringList m_violations;
    std::thread m_thread;
};

void startLoop(QProcess &child, const QString &file, int count, const QString &mode, mode_t mask)
{
    child.setChildProcessModifier([mask] { ::umask(mask); });
    child.start(QStringLiteral(COOKIE_SAVE_LOOP_PATH), {file, QString::number(count), mode});
}

std::optional<int> loadedGeneration(const QString &file)
{
    PersistentCookieJar jar(file);
    return wholeGeneration(jar.cookiesForUrl(QUrl(QStringLiteral("http://127.0.0.1/"))));
}

} // namespace

class TestCookieFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ownerOnlyFromTheFirstByte_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<QString>("mode");
        // A umask of 0 would let a file created with the default mode be read by everyone.
        QTest::newRow("umask 000, created each time") << 0 << QStringLiteral("fresh");
        QTest::newRow("umask 022, created each time") << 022 << QStringLiteral("fresh");
        QTest::newRow("umask 000, rewritten") << 0 << QStringLiteral("rewrite");
        QTest::newRow("umask 077, rewritten") << 077 << QStringLiteral("rewrite");
    }

    void ownerOnlyFromTheFirstByte()
    {
        QFETCH(int, mask);
        QFETCH(QString, mode);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("cookies"));
        ModeWatcher watcher(dir.path());
        QVERIFY(watcher.valid());

        constexpr int kWrites = 150;
        QProcess child;
        startLoop(child, file, kWrites, mode, mode_t(mask));
        QVERIFY2(child.waitForStarted(scaledMs(5000)), qPrintable(child.errorString()));
        QVERIFY(waitUntil([&] { return child.state() == QProcess::NotRunning; }, 60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        // Let the watcher see the last events.
        QVERIFY(waitUntil([&] { return watcher.created() >= kWrites; }, 5000));

        QVERIFY2(watcher.violations().isEmpty(), qPrintable(watcher.violations().join('\n')));
        QCOMPARE(QFileInfo(file).permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                    | QFileDevice::ReadUser | QFileDevice::WriteUser);
        QCOMPARE(loadedGeneration(file), std::optional<int>(kWrites));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"cookies"});
    }

    // A store others could read (copied in, or left so by an older version) is closed up as
    // soon as it is read, and its session kept.
    void readableStoreIsClosedOnLoad()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("cookies"));
        {
            PersistentCookieJar writer(file);
            QVERIFY(writer.setCookiesFromUrl(cookieGeneration(3), QUrl(QStringLiteral("http://127.0.0.1/"))));
        }
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        QCOMPARE(loadedGeneration(file), std::optional<int>(3));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0600));
    }

    void killedWhileRewriting()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("cookies"));
        ModeWatcher watcher(dir.path());
        QVERIFY(watcher.valid());

        constexpr int kKills = 200;
        QDeadlineTimer deadline(scaledMs(240'000));
        int killed = 0;
        int rounds = 0;
        int lastGeneration = 0;
        QStringList corrupt;
        while (killed < kKills && !deadline.hasExpired()) {
            ++rounds;
            QProcess child;
            startLoop(child, file, 1'000'000, QStringLiteral("rewrite"), 022);
            QVERIFY2(child.waitForStarted(scaledMs(5000)), qPrintable(child.errorString()));
            QVERIFY2(waitUntil([&] { return child.canReadLine() || child.state() != QProcess::Running; },
                               10000),
                     "the writing process did not start writing");
            QCOMPARE(child.state(), QProcess::Running);
            // Anywhere from the first rewrite to a few hundred of them.
            QThread::usleep(QRandomGenerator::global()->bounded(0, 30'000));
            child.kill(); // SIGKILL
            ++killed;
            QVERIFY(child.waitForFinished(scaledMs(5000)));

            const std::optional<int> generation = loadedGeneration(file);
            if (!generation) {
                QFile f(file);
                f.open(QIODevice::ReadOnly);
                corrupt.append(QStringLiteral("round %1: %2 bytes").arg(rounds).arg(f.size()));
            } else {
                lastGeneration = *generation;
            }
        }
        QVERIFY2(corrupt.isEmpty(), qPrintable(corrupt.join('\n')));
        QVERIFY2(killed >= kKills, qPrintable(QStringLiteral("only %1 kills in time").arg(killed)));
        QVERIFY(lastGeneration > 0);
        QVERIFY2(watcher.violations().isEmpty(), qPrintable(watcher.violations().join('\n')));
        // A killed writer's next file is cleared away by the next write: only the store is left.
        QVERIFY(loadedGeneration(file).has_value());
        PersistentCookieJar jar(file);
        QVERIFY(jar.setCookiesFromUrl(cookieGeneration(lastGeneration + 1),
                                      QUrl(QStringLiteral("http://127.0.0.1/"))));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"cookies"});
        qInfo("%d kills, 0 files that did not load", killed);
    }
};

QTEST_GUILESS_MAIN(TestCookieFile)
#include "tst_cookiefile.moc"
