// What a launch asks of the app (`--new-chat`, `--ask`): the text taken from the command line,
// the request carried over the real one-instance socket, and the draft it leaves in the composer.

#include "awaittask.h"
#include "composerequests.h"
#include "launchrequest.h"
#include "singleinstance.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using vexa::LaunchRequest;
using vexa::SingleInstance;

class LaunchRequestTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void askTextChecked_data();
    void askTextChecked();
    void requestCrossesTheSocket_data();
    void requestCrossesTheSocket();
    void foreignLinesAreIgnored_data();
    void foreignLinesAreIgnored();
    void twoLaunchesAtOnce();
    void draftJoinsWhatWasTyped_data();
    void draftJoinsWhatWasTyped();
};

void LaunchRequestTest::askTextChecked_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("text");  // when taken
    QTest::addColumn<QString>("error"); // part of the refusal, when refused

    QTest::newRow("Russian") << QByteArray("Как заварить чай?") << QStringLiteral("Как заварить чай?") << QString();
    QTest::newRow("line breaks and tabs kept") << QByteArray("one\n\ttwo") << QStringLiteral("one\n\ttwo") << QString();
    QTest::newRow("surrounding spaces trimmed") << QByteArray("  hi \n") << QStringLiteral("hi") << QString();
    QTest::newRow("empty") << QByteArray() << QString() << QString();
    QTest::newRow("at the limit") << QByteArray(LaunchRequest::kMaxAskBytes, 'a')
                                  << QString(LaunchRequest::kMaxAskBytes, u'a') << QString();
    QTest::newRow("one byte over") << QByteArray(LaunchRequest::kMaxAskBytes + 1, 'a') << QString()
                                   << QStringLiteral("too long");
    QTest::newRow("1 MB") << QByteArray(1 << 20, 'a') << QString() << QStringLiteral("too long");
    QTest::newRow("NUL byte") << QByteArray("a\0b", 3) << QString() << QStringLiteral("U+0000");
    QTest::newRow("escape sequence") << QByteArray("\x1b[31mred") << QString() << QStringLiteral("U+001B");
    QTest::newRow("invalid byte") << QByteArray("caf\xff") << QString() << QStringLiteral("UTF-8");
    QTest::newRow("cut multi-byte letter") << QByteArray("\xd0") << QString() << QStringLiteral("UTF-8");
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QString() << QStringLiteral("UTF-8");
}

void LaunchRequestTest::askTextChecked()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, text);
    QFETCH(QString, error);

    const auto checked = LaunchRequest::checkAskText(raw);
    if (error.isEmpty()) {
        QVERIFY2(checked.error.isEmpty(), qPrintable(checked.error));
        QCOMPARE(checked.text, text);
    } else {
        QVERIFY2(checked.error.contains(error), qPrintable(checked.error));
        QVERIFY(checked.text.isEmpty());
    }
}

void LaunchRequestTest::requestCrossesTheSocket_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("draft");

    QTest::newRow("window only") << int(LaunchRequest::Kind::Activate) << QString();
    QTest::newRow("new chat") << int(LaunchRequest::Kind::NewChat) << QString();
    QTest::newRow("question over lines") << int(LaunchRequest::Kind::NewChat)
                                         << QStringLiteral("Переведи:\nactivate\nnew-chat");
    QTest::newRow("longest question") << int(LaunchRequest::Kind::NewChat)
                                      << QString(LaunchRequest::kMaxAskBytes / 2, u'ж');
}

void LaunchRequestTest::requestCrossesTheSocket()
{
    QFETCH(int, kind);
    QFETCH(QString, draft);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("app.socket"));
    SingleInstance first(path);
    QSignalSpy primary(&first, &SingleInstance::primary);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    QSignalSpy newChats(&first, &SingleInstance::newChatRequested);
    first.claim();
    QVERIFY(vexa::test::waitUntil([&] { return primary.count() == 1; }, 5000));

    SingleInstance later(path, LaunchRequest{LaunchRequest::Kind(kind), draft});
    QSignalSpy handedOver(&later, &SingleInstance::handedOver);
    later.claim();
    QVERIFY(vexa::test::waitUntil([&] { return handedOver.count() == 1; }, 5000));
    QVERIFY(vexa::test::waitUntil([&] { return activations.count() == 1; }, 5000));
    if (LaunchRequest::Kind(kind) == LaunchRequest::Kind::Activate) {
        QTest::qWait(50);
        QCOMPARE(newChats.count(), 0);
    } else {
        QVERIFY(vexa::test::waitUntil([&] { return newChats.count() == 1; }, 5000));
        QCOMPARE(newChats.at(0).at(0).toString(), draft);
    }
}

void LaunchRequestTest::foreignLinesAreIgnored_data()
{
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("not base64") << QByteArray("ask !!!\n");
    QTest::newRow("not UTF-8 inside") << QByteArray("ask " + QByteArray("caf\xff").toBase64() + "\n");
    QTest::newRow("control characters inside") << QByteArray("ask " + QByteArray("a\0b", 3).toBase64() + "\n");
    QTest::newRow("too long inside")
        << QByteArray("ask " + QByteArray(LaunchRequest::kMaxAskBytes + 1, 'a').toBase64() + "\n");
    QTest::newRow("endless line") << QByteArray(LaunchRequest::kMaxLineBytes * 2, 'a');
    QTest::newRow("unknown word") << QByteArray("quit\n");
    QTest::newRow("no line break") << QByteArray("activate");
}

void LaunchRequestTest::foreignLinesAreIgnored()
{
    QFETCH(QByteArray, sent);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("app.socket"));
    SingleInstance first(path);
    QSignalSpy primary(&first, &SingleInstance::primary);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    first.claim();
    QVERIFY(vexa::test::waitUntil([&] { return primary.count() == 1; }, 5000));

    QLocalSocket stranger;
    stranger.connectToServer(path);
    QVERIFY(vexa::test::waitUntil([&] { return stranger.state() == QLocalSocket::ConnectedState; }, 5000));
    stranger.write(sent);
    // Either the instance hangs up on it, or it waits for the rest of a line that never comes.
    vexa::test::waitUntil([&] { return stranger.bytesToWrite() == 0; }, 5000);
    QTest::qWait(100);
    stranger.disconnectFromServer();
    QCOMPARE(activations.count(), 0);

    // The guard still answers the next launch.
    SingleInstance later(path);
    QSignalSpy handedOver(&later, &SingleInstance::handedOver);
    later.claim();
    QVERIFY(vexa::test::waitUntil([&] { return activations.count() == 1; }, 5000));
}

void LaunchRequestTest::twoLaunchesAtOnce()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("app.socket"));
    SingleInstance first(path);
    QSignalSpy primary(&first, &SingleInstance::primary);
    QSignalSpy newChats(&first, &SingleInstance::newChatRequested);
    first.claim();
    QVERIFY(vexa::test::waitUntil([&] { return primary.count() == 1; }, 5000));

    SingleInstance one(path, {LaunchRequest::Kind::NewChat, QStringLiteral("first")});
    SingleInstance two(path, {LaunchRequest::Kind::NewChat, QStringLiteral("second")});
    QSignalSpy oneDone(&one, &SingleInstance::handedOver);
    QSignalSpy twoDone(&two, &SingleInstance::handedOver);
    one.claim();
    two.claim();
    QVERIFY(vexa::test::waitUntil([&] { return oneDone.count() == 1 && twoDone.count() == 1; }, 5000));
    QVERIFY(vexa::test::waitUntil([&] { return newChats.count() == 2; }, 5000));
    QStringList drafts{newChats.at(0).at(0).toString(), newChats.at(1).at(0).toString()};
    drafts.sort();
    QCOMPARE(drafts, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    QVERIFY(!one.isPrimary() && !two.isPrimary());

    // Both reach the chat screen: neither question is lost, each written once.
    auto &requests = vexa::chat::ComposeRequests::instance();
    for (const QString &draft : drafts)
        requests.requestNewChat(draft);
    QCOMPARE(requests.takeNewChat(), std::optional<QString>(QStringLiteral("first\n\nsecond")));
    QVERIFY(!requests.hasNewChat());
}

void LaunchRequestTest::draftJoinsWhatWasTyped_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty composer") << QString() << QStringLiteral("вопрос") << QStringLiteral("вопрос");
    QTest::newRow("only spaces typed") << QStringLiteral("  ") << QStringLiteral("вопрос") << QStringLiteral("вопрос");
    QTest::newRow("typed text stays first") << QStringLiteral("моё") << QStringLiteral("вопрос")
                                            << QStringLiteral("моё\n\nвопрос");
    QTest::newRow("nothing requested") << QStringLiteral("моё") << QString() << QStringLiteral("моё");
    QTest::newRow("asked twice") << QStringLiteral("моё\n\nвопрос") << QStringLiteral("вопрос")
                                 << QStringLiteral("моё\n\nвопрос");
}

void LaunchRequestTest::draftJoinsWhatWasTyped()
{
    QFETCH(QString, current);
    QFETCH(QString, requested);
    QFETCH(QString, expected);
    QCOMPARE(vexa::chat::draftWithRequested(current, requested), expected);
}

QTEST_GUILESS_MAIN(LaunchRequestTest)
#include "tst_launchrequest.moc"
