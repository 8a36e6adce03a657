// The desktop notices through the real D-Bus code, on a session bus of the test's own
// (dbus-run-session) with a notification server of the test's own: what Notify carries, the
// user's choice coming back, withdrawal (also of a notice the server has not confirmed yet), and
// a server that is absent, refuses or does not answer in time, none of which holds the event
// loop. Last, the whole way: an answer in the background window to the server and back.

#include "answernotifier.h"
#include "awaittask.h"
#include "desktopnotifications.h"
#include "notificationserver.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace vexa;
using namespace vexa::test;

namespace {

DesktopNotice notice(const QString &body = QStringLiteral("Готово"))
{
    return {QStringLiteral("Рецепт борща"), body};
}

// How long the loop went without running a timer while `work` ran and the outcome was awaited.
struct LoopWatch {
    QTimer ticker;
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    LoopWatch()
    {
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [this] {
            longestGap = std::max(longestGap, sinceTick.restart());
        });
        sinceTick.start();
        ticker.start();
    }
};

} // namespace

class NotificationsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY2(QDBusConnection::sessionBus().isConnected(),
                 "no session bus: the test runs under dbus-run-session");
    }

    void noticeGoesOutAndComesBack_data()
    {
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("received");

        QTest::newRow("plain server") << QStringList{QStringLiteral("body"), QStringLiteral("actions")}
                                      << QStringLiteral("a < b & <i>c</i>")
                                      << QStringLiteral("a < b & <i>c</i>");
        // A server that reads markup gets the answer's own angle brackets escaped.
        QTest::newRow("markup server")
            << QStringList{QStringLiteral("body"), QStringLiteral("body-markup"), QStringLiteral("actions")}
            << QStringLiteral("a < b & <i>c</i>") << QStringLiteral("a &lt; b &amp; &lt;i&gt;c&lt;/i&gt;");
    }

    void noticeGoesOutAndComesBack()
    {
        QFETCH(QStringList, capabilities);
        QFETCH(QString, body);
        QFETCH(QString, received);
        NotificationServer server(capabilities);
        QVERIFY(server.start());
        FreedesktopNotifications notifications;
        QSignalSpy shown(&notifications, &DesktopNotifications::shown);
        QSignalSpy activated(&notifications, &DesktopNotifications::activated);

        const auto first = notifications.show(notice(body));
        const auto second = notifications.show(notice(QStringLiteral("Второй")));
        QVERIFY(waitUntil([&] { return shown.size() == 2; }));
        QCOMPARE(server.capabilityCalls, 1); // asked once, before the first notice
        QCOMPARE(server.notices.size(), 2);
        const NotificationServer::Notice &sent = server.notices.first();
        QCOMPARE(sent.appName, QStringLiteral("Vexa AI"));
        QCOMPARE(sent.icon, QStringLiteral("ai.vexa.VexaAI"));
        QCOMPARE(sent.summary, QStringLiteral("Рецепт борща"));
        QCOMPARE(sent.body, received);
        QCOMPARE(sent.actions.value(0), QStringLiteral("default"));
        QCOMPARE(sent.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("ai.vexa.VexaAI"));
        QCOMPARE(sent.replacesId, 0u);

        // Another action, or a notice of someone else's, is not the user choosing ours.
        server.invoke(sent.id, QStringLiteral("other"));
        server.invoke(999);
        server.invoke(server.notices.at(1).id);
        QVERIFY(waitUntil([&] { return activated.size() == 1; }));
        QCOMPARE(activated.first().first().toULongLong(), second);

        notifications.withdraw(first);
        QVERIFY(waitUntil([&] { return server.closed.size() == 1; }));
        QCOMPARE(server.closed.first(), sent.id);
        // Withdrawn once is withdrawn: a second call sends nothing.
        notifications.withdraw(first);
        QTest::qWait(100);
        QCOMPARE(server.closed.size(), 1);
    }

    // Withdrawn while the server has not said the notice's id yet: closed once it does.
    void withdrawnBeforeTheServerAnswered()
    {
        NotificationServer server;
        QVERIFY(server.start());
        FreedesktopNotifications notifications;
        QSignalSpy shown(&notifications, &DesktopNotifications::shown);
        notifications.show(notice());
        QVERIFY(waitUntil([&] { return shown.size() == 1; }));

        server.mode = NotificationServer::Mode::Late;
        const auto late = notifications.show(notice());
        notifications.withdraw(late);
        QVERIFY(waitUntil([&] { return server.closed.size() == 1; }));
        QCOMPARE(server.closed.first(), server.notices.last().id);
        QCOMPARE(shown.size(), 1);

        // Withdrawn while the capabilities were still asked for: never sent at all.
        FreedesktopNotifications fresh;
        const auto early = fresh.show(notice());
        fresh.withdraw(early);
        QTest::qWait(server.lateMs * 3);
        QCOMPARE(server.notices.size(), 2);
    }

    void serverThatDoesNotServe_data()
    {
        QTest::addColumn<int>("mode"); // -1: no server at all
        QTest::addColumn<int>("atMostMs");
        QTest::addColumn<int>("atLeastMs");

        QTest::newRow("absent") << -1 << 500 << 0;
        QTest::newRow("refuses") << int(NotificationServer::Mode::Refuse) << 500 << 0;
        // No answer within the budget: given up after it, not before.
        QTest::newRow("silent") << int(NotificationServer::Mode::Silent)
                                << FreedesktopNotifications::kReplyBudgetMs + 1500
                                << FreedesktopNotifications::kReplyBudgetMs - 50;
    }

    void serverThatDoesNotServe()
    {
        QFETCH(int, mode);
        QFETCH(int, atMostMs);
        QFETCH(int, atLeastMs);
        std::unique_ptr<NotificationServer> server;
        if (mode >= 0) {
            server = std::make_unique<NotificationServer>();
            server->mode = NotificationServer::Mode(mode);
            QVERIFY(server->start());
        }
        FreedesktopNotifications notifications;
        QSignalSpy unavailable(&notifications, &DesktopNotifications::unavailable);
        QSignalSpy shown(&notifications, &DesktopNotifications::shown);
        LoopWatch watch;
        QElapsedTimer clock;
        clock.start();
        const auto handle = notifications.show(notice());
        QVERIFY2(clock.elapsed() < 50, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(waitUntil([&] { return !unavailable.isEmpty(); }, scaledMs(atMostMs)));
        const qint64 took = clock.elapsed();
        QVERIFY2(took >= atLeastMs, qPrintable(QString::number(took)));
        QCOMPARE(unavailable.first().first().toULongLong(), handle);
        QVERIFY(shown.isEmpty());
        // The loop ran all along (a 10 ms timer never waited long).
        QVERIFY2(watch.longestGap < scaledMs(200), qPrintable(QString::number(watch.longestGap)));

        // A server that comes up later in the session is found by the next notice.
        if (!server) {
            NotificationServer late;
            QVERIFY(late.start());
            notifications.show(notice());
            QVERIFY(waitUntil([&] { return shown.size() == 1; }));
        }
    }

    // The whole way: a chat answer while the window is in the background reaches the server;
    // the user's choice there asks for the window on that chat; the switch turns it all off.
    void answerInTheBackground()
    {
        NotificationServer server;
        QVERIFY(server.start());
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("prefs.ini"));
        VexaClient client(QStringLiteral("http://127.0.0.1:9"), dir.filePath(QStringLiteral("cookies")));
        FreedesktopNotifications notifications;
        AnswerNotifier notifier(&client, &notifications, std::make_unique<NotificationPreferences>(ini));
        QWindow window; // never shown: never active
        notifier.setWindow(&window);
        int attention = 0;
        notifier.setAttentionRequest([&] { ++attention; });
        QSignalSpy open(&notifier, &AnswerNotifier::openRequested);

        AnswerEvent event;
        event.chatID = QStringLiteral("chat-7");
        event.title = QStringLiteral("Рецепт борща");
        event.text = QStringLiteral("## Борщ\n\nСвёкла, капуста и **терпение**.");
        Q_EMIT client.answerArrived(event);
        QVERIFY(waitUntil([&] { return server.notices.size() == 1; }));
        QCOMPARE(attention, 1);
        QCOMPARE(server.notices.first().summary, QStringLiteral("Рецепт борща"));
        QCOMPARE(server.notices.first().body, QStringLiteral("Борщ"));

        server.invoke(server.notices.first().id);
        QVERIFY(waitUntil([&] { return open.size() == 1; }));
        QCOMPARE(open.first().first().value<AnswerEvent>().chatID, QStringLiteral("chat-7"));

        // Off in the profile: neither a notice nor attention.
        NotificationPreferences(ini).setNotifyAnswers(false);
        event.failed = true;
        Q_EMIT client.answerArrived(event);
        QTest::qWait(200);
        QCOMPARE(server.notices.size(), 1);
        QCOMPARE(attention, 1);
    }
};

QTEST_MAIN(NotificationsTest)
#include "tst_notifications.moc"
