// The session kept in the desktop's keyring: signed in through the real client against the local
// service, with a keyring that answers, one that is not there, and one that goes away; and the
// real keyring (QtKeychain) when the test runs with a secret service on its own D-Bus.

#include "awaittask.h"
#include "cookiestore.h"
#include "localservice.h"
#include "secretstore.h"
#include "vexaclient.h"

#include <QFile>
#include <QNetworkCookie>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>
#include <QCoro/QCoroTimer>

using vexa::PersistentCookieJar;
using vexa::SecretStore;
using vexa::VexaClient;
using vexa::service::LocalService;

namespace {

// A keyring in memory that answers a moment later, as a real one over D-Bus does.
class FakeKeyring : public SecretStore
{
public:
    QHash<QString, QByteArray> entries;
    bool available = true;
    int writes = 0;

    QCoro::Task<Read> read(QString key) override
    {
        co_await QCoro::sleepFor(std::chrono::milliseconds(20));
        if (!available)
            co_return Read{Status::Unavailable, {}};
        if (!entries.contains(key))
            co_return Read{Status::NotFound, {}};
        co_return Read{Status::Ok, entries.value(key)};
    }
    QCoro::Task<Status> write(QString key, QByteArray value) override
    {
        co_await QCoro::sleepFor(std::chrono::milliseconds(20));
        if (!available)
            co_return Status::Unavailable;
        ++writes;
        entries.insert(key, value);
        co_return Status::Ok;
    }
    QCoro::Task<Status> remove(QString key) override
    {
        co_await QCoro::sleepFor(std::chrono::milliseconds(20));
        if (!available)
            co_return Status::Unavailable;
        entries.remove(key);
        co_return Status::Ok;
    }
};

QByteArray fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class SessionSecretsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void sessionMovesBetweenFileAndKeyring_data();
    void sessionMovesBetweenFileAndKeyring();
    void signOutEmptiesTheKeyring();
    void keyringThatGoesAwayKeepsTheSession();
    void launchAsksForTheChatsOnlyWithASession_data();
    void launchAsksForTheChatsOnlyWithASession();
    void realKeyring();

private:
    // Signs in through a client over this keyring; the session cookie's value.
    QByteArray signIn(std::shared_ptr<SecretStore> keyring);
    bool signedInOnRestart(std::shared_ptr<SecretStore> keyring);

    std::unique_ptr<LocalService> m_service;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_cookies;
};

void SessionSecretsTest::init()
{
    m_service = std::make_unique<LocalService>();
    QVERIFY(m_service->listen());
    m_service->setFixedCode(QStringLiteral("246810"));
    m_dir = std::make_unique<QTemporaryDir>();
    m_cookies = m_dir->filePath(QStringLiteral("cookies"));
}

void SessionSecretsTest::cleanup()
{
    m_service.reset();
    m_dir.reset();
}

QByteArray SessionSecretsTest::signIn(std::shared_ptr<SecretStore> keyring)
{
    VexaClient client(m_service->baseUrl().toString(), m_cookies, std::move(keyring));
    if (!vexa::test::awaitVoid(client.signIn(QStringLiteral("246810"))) || !client.isSignedIn())
        return {};
    // Let the keyring write finish before the client goes, as the app's event loop would.
    if (!vexa::test::waitUntil([&] { return client.cookieJar()->isSettled(); }, 20000))
        return {};
    for (const QNetworkCookie &cookie : client.cookieJar()->cookiesForUrl(m_service->baseUrl()))
        if (cookie.name() == LocalService::cookieName())
            return cookie.value();
    return {};
}

bool SessionSecretsTest::signedInOnRestart(std::shared_ptr<SecretStore> keyring)
{
    VexaClient client(m_service->baseUrl().toString(), m_cookies, std::move(keyring));
    // Restoring starts at once, before the keyring has answered: it must wait for it.
    const bool signedIn = vexa::test::awaitVoid(client.restoreSession()) && client.isSignedIn();
    return vexa::test::waitUntil([&] { return client.cookieJar()->isSettled(); }, 20000) && signedIn;
}

void SessionSecretsTest::sessionMovesBetweenFileAndKeyring_data()
{
    QTest::addColumn<bool>("keyringAtSignIn");
    QTest::addColumn<bool>("keyringAtRestart");
    QTest::addColumn<bool>("secretInFileAfter");
    QTest::newRow("keyring both times") << true << true << false;
    QTest::newRow("no keyring either time") << false << false << true;
    // A keyring installed later takes the session over from the file.
    QTest::newRow("file, then keyring") << false << true << false;
}

void SessionSecretsTest::sessionMovesBetweenFileAndKeyring()
{
    QFETCH(bool, keyringAtSignIn);
    QFETCH(bool, keyringAtRestart);
    QFETCH(bool, secretInFileAfter);

    auto keyring = std::make_shared<FakeKeyring>();
    keyring->available = keyringAtSignIn;
    const QByteArray session = signIn(keyring);
    QVERIFY(!session.isEmpty());
    QCOMPARE(fileText(m_cookies).contains(session), !keyringAtSignIn);

    keyring->available = keyringAtRestart;
    QVERIFY(signedInOnRestart(keyring));
    QVERIFY(vexa::test::waitUntil([&] { return fileText(m_cookies).contains(session) == secretInFileAfter; }, 3000));
    if (keyringAtRestart)
        QVERIFY(keyring->entries.value(QLatin1String("cookies:") + m_cookies).contains(session));
    if (secretInFileAfter)
        QCOMPARE(QFile::permissions(m_cookies) & 0x0077, QFileDevice::Permissions());
}

void SessionSecretsTest::signOutEmptiesTheKeyring()
{
    auto keyring = std::make_shared<FakeKeyring>();
    QVERIFY(!signIn(keyring).isEmpty());
    {
        VexaClient client(m_service->baseUrl().toString(), m_cookies, keyring);
        QVERIFY(vexa::test::awaitVoid(client.restoreSession()));
        QVERIFY(client.isSignedIn());
        client.signOut();
        QVERIFY(vexa::test::waitUntil([&] { return keyring->entries.isEmpty(); }, 3000));
    }
    QVERIFY(!signedInOnRestart(keyring));
}

void SessionSecretsTest::keyringThatGoesAwayKeepsTheSession()
{
    auto keyring = std::make_shared<FakeKeyring>();
    QVERIFY(!signIn(keyring).isEmpty());
    QVERIFY(!QFile::exists(m_cookies));

    // The keyring stops answering while the app runs and the service renews the cookie: the
    // renewed session goes to the file instead of being lost.
    {
        VexaClient client(m_service->baseUrl().toString(), m_cookies, keyring);
        QVERIFY(vexa::test::awaitVoid(client.restoreSession()));
        keyring->available = false;
        QNetworkCookie renewed(LocalService::cookieName(), "renewed-but-unknown-to-the-service");
        renewed.setPath(QStringLiteral("/"));
        client.cookieJar()->setCookiesFromUrl({renewed}, m_service->baseUrl());
        QVERIFY(vexa::test::waitUntil([&] {
            return client.cookieJar()->store() == PersistentCookieJar::Store::File;
        }, 3000));
        QVERIFY(fileText(m_cookies).contains("renewed-but-unknown-to-the-service"));
    }
    // Back without a keyring: the file has the newest session.
    PersistentCookieJar jar(m_cookies, keyring);
    QVERIFY(vexa::test::awaitVoid(jar.loaded()));
    QVERIFY(fileText(m_cookies).contains("renewed-but-unknown-to-the-service"));
}

void SessionSecretsTest::launchAsksForTheChatsOnlyWithASession_data()
{
    QTest::addColumn<bool>("keyring");
    QTest::addColumn<QString>("jarHolds");
    QTest::addColumn<bool>("signedIn");
    // No session: the state alone is asked for (and refused); the list would only be refused too.
    QTest::newRow("nothing, in the file") << false << "nothing" << false;
    QTest::newRow("nothing, the keyring answering late") << true << "nothing" << false;
    QTest::newRow("another host's cookie only") << true << "other host" << false;
    // A session: the list goes out beside the state.
    QTest::newRow("a session in the file") << false << "session" << true;
    QTest::newRow("a session in the keyring") << true << "session" << true;
}

void SessionSecretsTest::launchAsksForTheChatsOnlyWithASession()
{
    QFETCH(bool, keyring);
    QFETCH(QString, jarHolds);
    QFETCH(bool, signedIn);
    auto secrets = std::make_shared<FakeKeyring>();
    secrets->available = keyring;
    if (jarHolds == QLatin1String("session")) {
        QVERIFY(!signIn(secrets).isEmpty());
    } else if (jarHolds == QLatin1String("other host")) {
        PersistentCookieJar jar(m_cookies, secrets);
        QVERIFY(vexa::test::awaitVoid(jar.loaded()));
        QNetworkCookie cookie(LocalService::cookieName(), m_service->createSession());
        cookie.setPath(QStringLiteral("/"));
        jar.setCookiesFromUrl({cookie}, QUrl(QStringLiteral("https://example.org/")));
        QVERIFY(vexa::test::waitUntil([&] { return jar.isSettled(); }));
    }
    const qsizetype chatsBefore = m_service->requests(QStringLiteral("/api/chats")).size();
    const qsizetype statesBefore = m_service->requests(QStringLiteral("/api/state")).size();

    VexaClient client(m_service->baseUrl().toString(), m_cookies, secrets);
    QVERIFY(vexa::test::awaitVoid(client.restoreSession()));
    QCOMPARE(client.isSignedIn(), signedIn);
    QCOMPARE(m_service->requests(QStringLiteral("/api/state")).size() - statesBefore, 1);
    QCOMPARE(m_service->requests(QStringLiteral("/api/chats")).size() - chatsBefore, signedIn ? 1 : 0);
    QCOMPARE(client.chats().isEmpty(), !signedIn);
    QVERIFY(!client.chatsLoading());
    QVERIFY(vexa::test::waitUntil([&] { return client.cookieJar()->isSettled(); }));
}

void SessionSecretsTest::realKeyring()
{
    // Run by ctest inside dbus-run-session with gnome-keyring unlocked (tests/client/CMakeLists);
    // elsewhere there is no secret service and the file must take over.
    const bool withKeyring = qEnvironmentVariableIsSet("VEXA_TEST_KEYRING");
    if (!withKeyring)
        qunsetenv("DBUS_SESSION_BUS_ADDRESS"); // never the keyring of whoever runs the tests
    auto keyring = SecretStore::system();
    const QString key = QStringLiteral("vexa-test:") + m_dir->path();
    const auto written = vexa::test::awaitTask(keyring->write(key, "secret-value"), 20000);
    QVERIFY(written);
    if (!withKeyring) {
        QCOMPARE(*written, SecretStore::Status::Unavailable);
        const QByteArray session = signIn(keyring);
        QVERIFY(!session.isEmpty());
        QVERIFY(fileText(m_cookies).contains(session));
        QVERIFY(signedInOnRestart(keyring));
        return;
    }
    QCOMPARE(*written, SecretStore::Status::Ok);
    const auto read = vexa::test::awaitTask(keyring->read(key), 20000);
    QVERIFY(read);
    QCOMPARE(read->status, SecretStore::Status::Ok);
    QCOMPARE(read->value, QByteArray("secret-value"));
    QCOMPARE(*vexa::test::awaitTask(keyring->remove(key), 20000), SecretStore::Status::Ok);
    QCOMPARE(vexa::test::awaitTask(keyring->read(key), 20000)->status, SecretStore::Status::NotFound);

    // The whole road: signed in, nothing secret in the file, signed in again after a restart.
    const QByteArray session = signIn(keyring);
    QVERIFY(!session.isEmpty());
    QVERIFY(vexa::test::waitUntil([&] { return !QFile::exists(m_cookies); }, 10000));
    QVERIFY(signedInOnRestart(keyring));
}

QTEST_GUILESS_MAIN(SessionSecretsTest)
#include "tst_sessionsecrets.moc"
