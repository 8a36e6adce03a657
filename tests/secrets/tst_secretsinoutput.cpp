// The session cookie is the one credential: it must never show up in what the app prints or
// writes, whatever logging is switched on. The app's client signs in and chats, then the real app
// starts with that session and shows the signed-in window, both with every logging category on
// (qt.network.* included). Their standard output and error and every file under their home are
// searched for the cookie's value; only the cookie store itself may hold it.
//
// Run a second time inside a secret service of its own (with-keyring.sh): then the keyring holds
// the session and no file under the home may hold it at all. The keyring's own storage lies
// outside that home and is encrypted by it.

#include "appprocess.h"
#include "awaittask.h"
#include "localservice.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <numeric>

#include <sys/stat.h>

using vexa::service::LocalService;

namespace {

bool withKeyring()
{
    return qEnvironmentVariableIsSet("VEXA_TEST_KEYRING");
}

QProcessEnvironment loudEnvironment(const QTemporaryDir &home, const QUrl &service)
{
    QProcessEnvironment env = vexa::test::appEnvironment(home, service);
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*=true"));
    env.insert(QStringLiteral("QT_MESSAGE_PATTERN"),
               QStringLiteral("%{category}: %{message}"));
    // Temporary files land in the home too, where they are searched.
    env.insert(QStringLiteral("TMPDIR"), home.filePath(QStringLiteral("tmp")));
    if (withKeyring()) {
        const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   own.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")));
    }
    return env;
}

// The session value the service saw in the Cookie header of requests.
QByteArray sessionSeen(const LocalService &service)
{
    const QByteArray prefix = LocalService::cookieName() + '=';
    for (const auto &request : service.requests()) {
        for (const QByteArray &part : request.header("cookie").split(';')) {
            const QByteArray trimmed = part.trimmed();
            if (trimmed.startsWith(prefix))
                return trimmed.mid(prefix.size());
        }
    }
    return {};
}

// Where some 16-byte stretch of the secret (or of its Base64 form) appears in text.
std::optional<qsizetype> findSecret(const QByteArray &text, const QByteArray &secret)
{
    for (const QByteArray &form : {secret, secret.toBase64(), secret.toPercentEncoding()}) {
        for (qsizetype at = 0; at + 16 <= form.size(); ++at) {
            const qsizetype found = text.indexOf(form.mid(at, 16));
            if (found >= 0)
                return found;
        }
    }
    return std::nullopt;
}

QString excerpt(const QByteArray &text, qsizetype at)
{
    return QString::fromUtf8(text.mid(std::max<qsizetype>(0, at - 120), 240));
}

} // namespace

class SecretsInOutputTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cookieAppearsOnlyInTheStore()
    {
        LocalService service;
        QVERIFY(service.listen());
        QTemporaryDir home;
        QVERIFY(home.isValid());
        vexa::test::prepareHome(home);
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral("tmp")));
        const QProcessEnvironment env = loudEnvironment(home, service.baseUrl());
        const QString cookieFile = home.filePath(QStringLiteral("data/VexaAI/cookies"));
        QMap<QString, QByteArray> outputs;

        // Sign-in and a chat through the app's client.
        QProcess flow;
        flow.setProcessEnvironment(env);
        flow.start(QStringLiteral(SECRETS_FLOW_PATH), {service.issueCode()});
        QVERIFY2(flow.waitForStarted(vexa::test::scaledMs(10000)), qPrintable(flow.errorString()));
        QVERIFY(vexa::test::waitUntil([&] { return flow.state() == QProcess::NotRunning; }, 60000));
        outputs.insert(QStringLiteral("client stdout"), flow.readAllStandardOutput());
        outputs.insert(QStringLiteral("client stderr"), flow.readAllStandardError());
        QVERIFY2(flow.exitStatus() == QProcess::NormalExit && flow.exitCode() == 0,
                 outputs.value(QStringLiteral("client stderr")).right(3000).constData());
        QVERIFY(outputs.value(QStringLiteral("client stdout")).contains("flow done 0"));
        QCOMPARE(QFileInfo::exists(cookieFile), !withKeyring());

        const QByteArray secret = sessionSeen(service);
        QVERIFY2(secret.size() >= 32, "the client never sent its session");
        QVERIFY(!service.requests(QStringLiteral("/api/chat")).isEmpty());

        // The app itself, signed in from what the client kept, until its signed-in window shows
        // and it asked the service with the session, then closed as the desktop closes it.
        service.clearRequests();
        QProcess app;
        vexa::test::ErrorLog appLog(app);
        app.setProcessEnvironment(env);
        app.start(QStringLiteral(VEXA_APP_BINARY), {});
        QVERIFY(app.waitForStarted(vexa::test::scaledMs(10000)));
        QVERIFY2(appLog.waitFor("signed-in frame", 60000), appLog.text.right(3000).constData());
        QVERIFY(vexa::test::waitUntil([&] { return sessionSeen(service) == secret; }, 10000));
        app.terminate();
        QVERIFY(vexa::test::waitUntil([&] { return app.state() == QProcess::NotRunning; }, 20000));
        outputs.insert(QStringLiteral("app stdout"), app.readAllStandardOutput());
        outputs.insert(QStringLiteral("app stderr"), appLog.text + app.readAllStandardError());

        // Every category really was on: the network stack and the app's own said something.
        const QByteArray all = outputs.value(QStringLiteral("client stderr"))
            + outputs.value(QStringLiteral("app stderr"));
        QVERIFY2(all.contains("qt.network."), "no qt.network.* output: the logging rules did not apply");
        QVERIFY(all.contains("vexa.app: first frame"));

        for (auto it = outputs.cbegin(); it != outputs.cend(); ++it) {
            const auto at = findSecret(it.value(), secret);
            QVERIFY2(!at, qPrintable(QStringLiteral("the session cookie is in the %1: …%2…")
                                         .arg(it.key(), excerpt(it.value(), at.value_or(0)))));
        }

        int files = 0;
        QDirIterator walk(home.path(), QDir::Files | QDir::Hidden | QDir::System,
                          QDirIterator::Subdirectories);
        while (walk.hasNext()) {
            const QString path = walk.next();
            if (!withKeyring() && path == cookieFile)
                continue;
            struct stat st {};
            if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
                continue; // the one-instance socket
            ++files;
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
            const QByteArray bytes = file.readAll();
            const auto at = findSecret(bytes, secret);
            QVERIFY2(!at, qPrintable(QStringLiteral("the session cookie is in %1: …%2…")
                                         .arg(path, excerpt(bytes, at.value_or(0)))));
        }
        QVERIFY2(files > 0, "the app wrote no file at all: nothing was searched");
        qInfo("searched %lld bytes of output (%lld from qt.network.*) and %d files",
              qlonglong(std::accumulate(outputs.cbegin(), outputs.cend(), qsizetype(0),
                                        [](qsizetype n, const QByteArray &b) { return n + b.size(); })),
              qlonglong(all.count("qt.network.")), files);
        // The store does hold it, so the search above looks for the right thing.
        if (!withKeyring()) {
            QFile store(cookieFile);
            QVERIFY(store.open(QIODevice::ReadOnly));
            QVERIFY(findSecret(store.readAll(), secret).has_value());
        }
    }
};

QTEST_GUILESS_MAIN(SecretsInOutputTest)
#include "tst_secretsinoutput.moc"
