// The vexa-service executable: start-up lines, sign-in codes from stdin and SIGUSR1, exit.

#include "awaittask.h"
#include "httpclient.h"

#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QtTest>

#include <csignal>

using vexa::test::HttpClient;
using vexa::test::HttpResult;
using vexa::test::waitUntil;

namespace {

const QString kCodeRefused = QStringLiteral(
    "Код не подошёл или устарел. Получите новый код командой /web в Telegram-боте.");

// A running vexa-service with its stdout collected line by line.
class ServiceProcess
{
public:
    explicit ServiceProcess(const QStringList &arguments)
    {
        process.setProgram(QStringLiteral(VEXA_SERVICE_EXE));
        process.setArguments(arguments);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [this] {
            buffer += process.readAllStandardOutput();
            qsizetype nl;
            while ((nl = buffer.indexOf('\n')) >= 0) {
                lines.append(QString::fromUtf8(buffer.left(nl)));
                buffer.remove(0, nl + 1);
            }
        });
        process.start();
    }
    ~ServiceProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(vexa::test::scaledMs(3000));
        }
    }

    // The first captured group of the first line (from `from` on) that matches.
    QString waitForLine(const QString &pattern, qsizetype from = 0, int timeoutMs = 10000)
    {
        const QRegularExpression re(pattern);
        QString found;
        waitUntil(
            [&] {
                for (qsizetype i = from; i < lines.size(); ++i) {
                    const auto m = re.match(lines.at(i));
                    if (m.hasMatch()) {
                        found = m.captured(1);
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }
    bool waitForExit(int timeoutMs = 10000)
    {
        return waitUntil([this] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    }
    void signal(int signo) { ::kill(pid_t(process.processId()), signo); }

    QProcess process;
    QByteArray buffer;
    QStringList lines;
};

const QString kListening = QStringLiteral("^Vexa service listening on (http://127\\.0\\.0\\.1:[0-9]+)$");
const QString kCode = QStringLiteral("^One-time sign-in code: ([0-9]{6})$");

} // namespace

class TestServiceCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signInThroughTheExecutable()
    {
        ServiceProcess service({"--port", "0", "--code", "123456"});
        const QString base = service.waitForLine(kListening);
        QVERIFY2(!base.isEmpty(), qPrintable(service.lines.join('\n') + service.process.readAllStandardError()));
        const QUrl url(base);
        QVERIFY(url.port() > 0);
        const QString firstCode = service.waitForLine(kCode);
        QVERIFY(!firstCode.isEmpty());
        QVERIFY(service.waitForLine("^Fixed sign-in code \\(reusable\\): (123456)$") == "123456");

        HttpClient client(url);
        // Signed out: 401.
        const HttpResult signedOut = client.get("/api/state");
        QCOMPARE(signedOut.status, 401);
        QCOMPARE(signedOut.json().value("ok"), QJsonValue(false));

        // A wrong code is refused with the user's text.
        const HttpResult wrong = client.signIn(firstCode == "000000" ? "000001" : "000000");
        QCOMPARE(wrong.status, 403);
        QCOMPARE(wrong.json().value("error").toString(), kCodeRefused);
        QCOMPARE(client.get("/api/state").status, 401);

        // The fixed code signs in, and the cookie opens the state.
        const HttpResult ok = client.signIn("123456");
        QCOMPARE(ok.status, 200);
        QCOMPARE(ok.json().value("ok"), QJsonValue(true));
        QVERIFY(ok.header("set-cookie").contains("HttpOnly"));
        const HttpResult state = client.get("/api/state");
        QCOMPARE(state.status, 200);
        QVERIFY(state.json().value("state").toObject().value("user").toObject().value("user_id").isDouble());
        QVERIFY(!client.get("/api/chats").json().value("chats").toArray().isEmpty());

        // The printed one-time code works once.
        HttpClient second(url);
        QCOMPARE(second.signIn(firstCode).status, 200);
        QCOMPARE(second.signIn(firstCode).status, 403);
    }

    void freshCodesFromEnterAndSigusr1()
    {
        ServiceProcess service({"--port", "0"});
        const QUrl url(service.waitForLine(kListening));
        QVERIFY(url.isValid());
        const QString first = service.waitForLine(kCode);
        QVERIFY(!first.isEmpty());
        QVERIFY(service.waitForLine("^(Press Enter).*") == "Press Enter");

        qsizetype seen = service.lines.size();
        service.process.write("\n");
        const QString fromEnter = service.waitForLine(kCode, seen);
        QVERIFY2(!fromEnter.isEmpty(), qPrintable(service.lines.join('\n')));

        seen = service.lines.size();
        service.signal(SIGUSR1);
        const QString fromSignal = service.waitForLine(kCode, seen);
        QVERIFY2(!fromSignal.isEmpty(), qPrintable(service.lines.join('\n')));
        QVERIFY(service.process.state() == QProcess::Running);

        // Every printed code is valid once.
        HttpClient client(url);
        for (const QString &code : {fromSignal, first, fromEnter}) {
            QCOMPARE(client.signIn(code).status, 200);
            QCOMPARE(client.signIn(code).status, 403);
        }
        // Without --code there is no fixed code.
        QCOMPARE(client.signIn("123456").status, 403);

        // SIGTERM: a clean exit.
        service.signal(SIGTERM);
        QVERIFY(service.waitForExit());
        QCOMPARE(service.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(service.process.exitCode(), 0);
        QVERIFY(service.lines.contains("Vexa service stopped."));
    }

    void keepsRunningWhenStdinCloses()
    {
        ServiceProcess service({"--port", "0"});
        const QUrl url(service.waitForLine(kListening));
        QVERIFY(url.isValid());
        service.process.closeWriteChannel();
        QTest::qWait(vexa::test::scaledMs(300));
        QVERIFY(service.process.state() == QProcess::Running);
        HttpClient client(url);
        QCOMPARE(client.get("/").status, 200);

        service.signal(SIGINT);
        QVERIFY(service.waitForExit());
        QCOMPARE(service.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(service.process.exitCode(), 0);
    }

    void fixedPort()
    {
        // Find a free port, then ask for it.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();

        ServiceProcess service({"--port", QString::number(port), "--host", "127.0.0.1"});
        const QUrl url(service.waitForLine(kListening));
        QCOMPARE(url.port(), int(port));

        // The same port again fails with a message and a non-zero exit code.
        ServiceProcess clash({"--port", QString::number(port)});
        QVERIFY(clash.waitForExit());
        QVERIFY(clash.process.exitCode() != 0);
        QVERIFY(clash.process.readAllStandardError().contains("cannot listen"));
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("port not a number") << QStringList{"--port", "abc"};
        QTest::newRow("port too large") << QStringList{"--port", "70000"};
        QTest::newRow("bad host") << QStringList{"--host", "not an address"};
        QTest::newRow("empty code") << QStringList{"--code", " "};
    }
    void badArguments()
    {
        QFETCH(QStringList, arguments);
        ServiceProcess service(arguments);
        QVERIFY(service.waitForExit());
        QCOMPARE(service.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(service.process.exitCode(), 2);
        QVERIFY(!service.process.readAllStandardError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestServiceCli)
#include "test_service_cli.moc"
