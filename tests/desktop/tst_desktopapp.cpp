// The built app as the desktop starts it: its command line, its first frame against a service,
// what it has loaded by then, and a second launch that hands over to the running window.

#include "appprocess.h"
#include "awaittask.h"
#include "localservice.h"
#include "vexaclient.h"

#include <QCoro/QCoroTask>

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using vexa::service::LocalService;
using vexa::test::ErrorLog;

namespace {

// The session the app finds in its cookie file, as after an earlier sign-in.
bool leaveSession(LocalService &service, const QTemporaryDir &home)
{
    service.setFixedCode(QStringLiteral("975310"));
    vexa::VexaClient client(service.baseUrl().toString(),
                            home.filePath(QStringLiteral("data/VexaAI/cookies")));
    return vexa::test::awaitVoid(client.signIn(QStringLiteral("975310"))) && client.isSignedIn();
}

} // namespace

class DesktopAppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandLine_data();
    void commandLine();
    void secondLaunchBringsTheRunningWindowBack();
    void windowOpensOnTheScreenItCallsFor_data();
    void windowOpensOnTheScreenItCallsFor();
    void signedInWindowLeavesForLaterWhatItDoesNotShow_data();
    void signedInWindowLeavesForLaterWhatItDoesNotShow();
};

void DesktopAppTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("printed");
    QTest::addColumn<QString>("askBytes"); // a printf format: the --ask value as raw bytes

    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0
                             << QStringList{QStringLiteral(VEXA_VERSION)} << QString();
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0
                          << QStringList{QStringLiteral("--version"), QStringLiteral("--help"),
                                         QStringLiteral("VEXA_BASE_URL"), QStringLiteral("--new-chat"),
                                         QStringLiteral("--ask")} << QString();
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")} << 1
                                    << QStringList{QStringLiteral("frobnicate")} << QString();
    // A question the app refuses is refused before any window or socket, with the reason.
    QTest::newRow("--ask too long") << QStringList{QStringLiteral("--ask"), QString(100000, u'a')} << 2
                                    << QStringList{QStringLiteral("too long")} << QString();
    QTest::newRow("--ask= too long") << QStringList{QStringLiteral("--ask=") + QString(40000, u'ы')} << 2
                                     << QStringList{QStringLiteral("too long")} << QString();
    QTest::newRow("--ask not UTF-8") << QStringList() << 2 << QStringList{QStringLiteral("UTF-8")}
                                     << QStringLiteral("caf\\377");
    QTest::newRow("--ask with an escape") << QStringList() << 2 << QStringList{QStringLiteral("U+001B")}
                                          << QStringLiteral("\\033[2J");
    QTest::newRow("--ask without its text") << QStringList{QStringLiteral("--ask")} << 1
                                            << QStringList{QStringLiteral("ask")} << QString();
}

void DesktopAppTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, printed);
    QFETCH(QString, askBytes);

    QTemporaryDir home;
    vexa::test::prepareHome(home);
    QProcess app;
    app.setProcessEnvironment(vexa::test::appEnvironment(home, QUrl(QStringLiteral("http://127.0.0.1:9"))));
    if (askBytes.isEmpty()) {
        app.start(QStringLiteral(VEXA_APP_BINARY), arguments);
    } else {
        // QProcess passes its arguments as UTF-8; the shell's printf gives any bytes.
        app.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), QStringLiteral("exec \"$0\" --ask \"$(printf \"$1\")\""),
                   QStringLiteral(VEXA_APP_BINARY), askBytes});
    }
    QVERIFY(app.waitForFinished(vexa::test::scaledMs(20000)));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), exitCode);
    const QString output = QString::fromUtf8(app.readAllStandardOutput() + app.readAllStandardError());
    for (const QString &text : printed)
        QVERIFY2(output.contains(text), qPrintable(output));
}

void DesktopAppTest::secondLaunchBringsTheRunningWindowBack()
{
    LocalService service;
    QVERIFY(service.listen());
    QTemporaryDir home;
    vexa::test::prepareHome(home);
    const QProcessEnvironment env = vexa::test::appEnvironment(home, service.baseUrl());

    QProcess first;
    ErrorLog firstLog(first);
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(VEXA_APP_BINARY), {});
    QVERIFY(first.waitForStarted(vexa::test::scaledMs(10000)));
    QVERIFY2(firstLog.waitFor("first frame", 30000), firstLog.text.constData());
    // The window asks the service who is signed in as soon as it is shown.
    QVERIFY(vexa::test::waitUntil([&] { return !service.requests(QStringLiteral("/api/state")).isEmpty(); }, 10000));
    const auto stateRequests = service.requests(QStringLiteral("/api/state")).size();

    QProcess second;
    ErrorLog secondLog(second);
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(VEXA_APP_BINARY), {});
    QVERIFY(vexa::test::waitUntil([&] { return second.state() == QProcess::NotRunning; }, 15000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY2(firstLog.waitFor("brought to the front", 10000), firstLog.text.constData());
    QVERIFY(!secondLog.text.contains("first frame")); // no second window, no second client
    QCOMPARE(service.requests(QStringLiteral("/api/state")).size(), stateRequests);
    QCOMPARE(first.state(), QProcess::Running);

    // A launch from the desktop entry's "Новый чат" action, or a bound shortcut with a question.
    QVERIFY(!firstLog.text.contains("a new chat asked for"));
    for (const QStringList &arguments : {QStringList{QStringLiteral("--new-chat")},
                                         QStringList{QStringLiteral("--ask"), QStringLiteral("Как дела?")}}) {
        const qsizetype before = firstLog.text.count("a new chat asked for");
        QProcess launcher;
        launcher.setProcessEnvironment(env);
        launcher.start(QStringLiteral(VEXA_APP_BINARY), arguments);
        QVERIFY(vexa::test::waitUntil([&] { return launcher.state() == QProcess::NotRunning; }, 15000));
        QCOMPARE(launcher.exitCode(), 0);
        QVERIFY2(vexa::test::waitUntil([&] { return firstLog.text.count("a new chat asked for") == before + 1; },
                                       10000),
                 firstLog.text.constData());
    }
    QCOMPARE(first.state(), QProcess::Running);

    // The session's end quits like closing the window: a normal exit, the socket removed.
    first.terminate();
    QVERIFY(vexa::test::waitUntil([&] { return first.state() == QProcess::NotRunning; }, 10000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    QVERIFY(!QFile::exists(home.filePath(QStringLiteral("runtime/vexa-ai.socket"))));

    // With the first one gone (its socket removed), the next launch is the app again.
    QProcess third;
    ErrorLog thirdLog(third);
    third.setProcessEnvironment(env);
    third.start(QStringLiteral(VEXA_APP_BINARY), {});
    QVERIFY2(thirdLog.waitFor("first frame", 30000), thirdLog.text.constData());
    third.kill();
    third.waitForFinished(vexa::test::scaledMs(5000));
}

void DesktopAppTest::windowOpensOnTheScreenItCallsFor_data()
{
    QTest::addColumn<int>("answerDelayMs");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    // A returning user's window is shown with the sections already built, never the waiting
    // screen for a frame first.
    QTest::newRow("session answered at once") << 0 << QByteArray("vexa.app: signed in: the sections are built")
                                              << QByteArray("vexa.app: first frame");
    // A slow answer does not keep the window away: it shows the waiting screen meanwhile.
    QTest::newRow("session answered late") << 60000 << QByteArray("vexa.app: first frame")
                                           << QByteArray("vexa.app: state changed");
}

void DesktopAppTest::windowOpensOnTheScreenItCallsFor()
{
    QFETCH(int, answerDelayMs);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    LocalService service;
    QVERIFY(service.listen());
    QTemporaryDir home;
    vexa::test::prepareHome(home);
    QVERIFY(leaveSession(service, home));
    if (answerDelayMs > 0) {
        vexa::service::ScriptedReply slow;
        slow.status = 503;
        slow.delay = std::chrono::milliseconds(answerDelayMs);
        service.script("GET", QStringLiteral("/api/state"), slow);
    }

    QProcess app;
    ErrorLog log(app);
    QProcessEnvironment env = vexa::test::appEnvironment(home, service.baseUrl());
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vexa.app=true"));
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(VEXA_APP_BINARY), {});
    QVERIFY(app.waitForStarted(vexa::test::scaledMs(10000)));
    QVERIFY2(log.waitFor(before, 10000), log.text.constData());
    QVERIFY2(log.waitFor(answerDelayMs > 0 ? before : after, 10000), log.text.constData());
    const qsizetype afterAt = log.text.indexOf(after);
    QVERIFY2(afterAt < 0 || log.text.indexOf(before) < afterAt, log.text.constData());
    app.kill();
    app.waitForFinished(vexa::test::scaledMs(5000));
}

void DesktopAppTest::signedInWindowLeavesForLaterWhatItDoesNotShow_data()
{
    QTest::addColumn<QStringList>("libraries");

    // Each is a few milliseconds of start-up the window would wait for.
    QTest::newRow("speech recogniser and its numeric libraries")
        << QStringList{QStringLiteral("libpocketsphinx.so"), QStringLiteral("libsphinxbase.so"),
                       QStringLiteral("liblapack.so")};
    QTest::newRow("the desktop's file dialogs")
        << QStringList{QStringLiteral("libqtquickdialogsplugin.so"),
                       QStringLiteral("libQt6QuickDialogs2QuickImpl.so")};
    // No session bus here (none in the environment, none in the runtime folder, no X display to
    // start one): nothing could answer for the keyring, so its libraries are not loaded to ask.
    QTest::newRow("the keyring's libraries, with no bus to reach it")
        << QStringList{QStringLiteral("libsecret-1.so"), QStringLiteral("libgio-2.0.so")};
}

void DesktopAppTest::signedInWindowLeavesForLaterWhatItDoesNotShow()
{
    QFETCH(QStringList, libraries);

    LocalService service;
    QVERIFY(service.listen());
    QTemporaryDir home;
    vexa::test::prepareHome(home);
    QVERIFY(leaveSession(service, home));

    QProcess app;
    ErrorLog log(app);
    QProcessEnvironment env = vexa::test::appEnvironment(home, service.baseUrl());
    env.remove(QStringLiteral("DISPLAY"));
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(VEXA_APP_BINARY), {});
    QVERIFY(app.waitForStarted(vexa::test::scaledMs(10000)));
    // The chat screen is the signed-in window's first section.
    QVERIFY2(log.waitFor("signed-in frame", 30000), log.text.constData());
    QFile maps(QStringLiteral("/proc/%1/maps").arg(app.processId()));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    QVERIFY(mapped.contains("libQt6Quick.so")); // the listing is the app's own
    for (const QString &library : std::as_const(libraries))
        QVERIFY2(!mapped.contains(library.toLatin1()), qPrintable(library));
    app.kill();
    app.waitForFinished(vexa::test::scaledMs(5000));
}

QTEST_GUILESS_MAIN(DesktopAppTest)
#include "tst_desktopapp.moc"
