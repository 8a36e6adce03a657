// Requests as they reach the service, timeouts, and the mapping of every failure to a message.

#include "awaittask.h"
#include "clientfixture.h"
#include "secretstore.h"
#include "serviceorigin.h"

#include <QJsonDocument>
#include <QTcpServer>
#include <QCoro/QCoroSignal>

using namespace vexa;
using namespace std::chrono_literals;
using vexa::test::ClientFixture;
using vexa::test::scaledMs;

namespace {

// A keyring that answers (with nothing kept) only when let go.
class HeldKeyring : public QObject, public SecretStore
{
    Q_OBJECT
public:
    QCoro::Task<Read> read(QString) override
    {
        co_await qCoro(this, &HeldKeyring::released);
        co_return Read{Status::NotFound, {}};
    }
    QCoro::Task<Status> write(QString, QByteArray) override { co_return Status::Ok; }
    QCoro::Task<Status> remove(QString) override { co_return Status::Ok; }
Q_SIGNALS:
    void released();
};

// A caller up the chain, as a screen's load is: it keeps what the client answered.
QCoro::Task<> fetchState(VexaClient *client, std::shared_ptr<std::optional<Result<VexaResponse>>> outcome)
{
    *outcome = co_await client->request(QStringLiteral("/api/state"));
}

} // namespace

class TransportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void idleTimeoutByPath_data();
    void idleTimeoutByPath();
    void idleTimeoutAbortsSlowReply();
    void resourceLimitAbortsSlowReply();

    void getCarriesNoBodyOrContentType();
    void postSendsCompactJson();
    void customMethodWithoutBody();

    void statusMapping_data();
    void statusMapping();
    void unauthorizedSignsOut();
    void notJsonIsInvalidForEveryDecodingCall();

    void utilityRefusesOtherPathsWithoutTraffic();
    void utilityReplies_data();
    void utilityReplies();

    void pathLeavingTheOriginIsNotSent_data();
    void pathLeavingTheOriginIsNotSent();
    void connectionRefusedIsExplained();

    void originRules_data();
    void originRules();
    void refusedOriginSendsNothing();
    void closingClientEndsWaitingRequests_data();
    void closingClientEndsWaitingRequests();
};

void TransportTest::idleTimeoutByPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("seconds");
    QTest::newRow("chat") << "/api/chat" << 90;
    QTest::newRow("chats") << "/api/chats" << 60;
    QTest::newRow("select") << "/api/chats/select" << 60;
    QTest::newRow("chat with query") << "/api/chat?x=1" << 60;
    QTest::newRow("image generate") << "/api/image/generate" << 180;
    QTest::newRow("image prefix needs slash") << "/api/images" << 60;
    QTest::newRow("state") << "/api/state" << 60;
}

void TransportTest::idleTimeoutByPath()
{
    QFETCH(QString, path);
    QFETCH(int, seconds);
    const TransportTimeouts defaults;
    QCOMPARE(defaults.idleFor(path), std::chrono::milliseconds(seconds * 1000));
    QCOMPARE(defaults.sessionIdle, 45s);
    QCOMPARE(defaults.resourceLimit, 240s);
}

void TransportTest::idleTimeoutAbortsSlowReply()
{
    ClientFixture f;
    // Every limit and delay stretched alike: a slow build may take 150 ms to answer at all.
    f.service.script("GET", "/api/state", f.reply(200, R"({"ok":true})", scaledMs(1500)));
    TransportTimeouts t;
    t.idle = std::chrono::milliseconds(scaledMs(150));
    t.chatIdle = std::chrono::milliseconds(scaledMs(5000)); // only the path's own timeout may apply
    f.client->setTimeouts(t);
    VEXA_AWAIT(result, f.client->request(QStringLiteral("/api/state")));
    QVERIFY(!result);
    const auto *platform = std::get_if<PlatformError>(&result.error());
    QVERIFY(platform);
    QVERIFY2(platform->source == PlatformError::Source::Timeout,
             qPrintable(QString::number(platform->code) + u' ' + platform->description));

    // The same delay is fine where the path's timeout is longer.
    f.service.script("POST", "/api/chat", f.reply(200, R"({"ok":true,"answer":"a"})", scaledMs(400)));
    VEXA_AWAIT(chat, f.client->request(QStringLiteral("/api/chat"), QJsonObject()));
    QVERIFY(chat);
}

void TransportTest::resourceLimitAbortsSlowReply()
{
    ClientFixture f;
    f.service.script("GET", "/api/state", f.reply(200, R"({"ok":true})", scaledMs(1500)));
    TransportTimeouts t;
    t.resourceLimit = std::chrono::milliseconds(scaledMs(200));
    f.client->setTimeouts(t);
    QElapsedTimer timer;
    timer.start();
    VEXA_AWAIT(result, f.client->request(QStringLiteral("/api/state")));
    QVERIFY(!result);
    QVERIFY(timer.elapsed() < scaledMs(1400));
    const auto *platform = std::get_if<PlatformError>(&result.error());
    QVERIFY(platform);
    QCOMPARE(platform->source, PlatformError::Source::Timeout);
}

void TransportTest::getCarriesNoBodyOrContentType()
{
    ClientFixture f;
    f.service.script("GET", "/api/state", f.reply(200, R"({"ok":true})"));
    VEXA_AWAIT(result, f.client->request(QStringLiteral("/api/state")));
    QVERIFY(result);
    const auto log = f.service.requests(QStringLiteral("/api/state"));
    QCOMPARE(log.size(), 1);
    QCOMPARE(log[0].method, QByteArray("GET"));
    QVERIFY(!log[0].hasHeader("content-type"));
    QVERIFY(log[0].body.isEmpty());
    QCOMPARE(log[0].header("accept"), QByteArray("application/json"));
    QCOMPARE(log[0].header("origin"), f.service.baseUrl().toString().toUtf8());
}

void TransportTest::postSendsCompactJson()
{
    ClientFixture f;
    f.service.script("POST", "/api/x", f.reply(200, R"({"ok":true})"));
    VEXA_AWAIT(empty, f.client->request(QStringLiteral("/api/x"), QJsonObject()));
    QVERIFY(empty);
    QJsonObject nested{{QStringLiteral("message"), QStringLiteral("Привет, мир")},
                       {QStringLiteral("file_data"), QJsonObject{{QStringLiteral("name"), QStringLiteral("a b.txt")}}}};
    VEXA_AWAIT(full, f.client->request(QStringLiteral("/api/x"), nested));
    QVERIFY(full);

    const auto log = f.service.requests(QStringLiteral("/api/x"));
    QCOMPARE(log.size(), 2);
    QCOMPARE(log[0].method, QByteArray("POST"));
    QCOMPARE(log[0].body, QByteArray("{}"));
    QCOMPARE(log[0].header("content-type"), QByteArray("application/json"));
    QVERIFY(!log[1].body.contains('\n'));
    QVERIFY(!log[1].body.contains(": "));
    QCOMPARE(QJsonDocument::fromJson(log[1].body).object(), nested);
}

void TransportTest::customMethodWithoutBody()
{
    ClientFixture f;
    f.service.script("DELETE", "/api/workspace/answers/7", f.reply(200, R"({"ok":true})"));
    VEXA_AWAIT(result, f.client->request(QStringLiteral("/api/workspace/answers/7"), std::nullopt,
                                         QByteArray("DELETE")));
    QVERIFY(result);
    const auto log = f.service.requests(QStringLiteral("/api/workspace/answers/7"));
    QCOMPARE(log.size(), 1);
    QCOMPARE(log[0].method, QByteArray("DELETE"));
    QVERIFY(!log[0].hasHeader("content-type"));
}

void TransportTest::statusMapping_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("retryAfter");
    QTest::addColumn<QString>("message");
    QTest::newRow("403 with error") << 403 << QByteArray(R"({"error":"Лимит исчерпан"})") << QByteArray() << "Лимит исчерпан";
    QTest::newRow("500 html") << 500 << QByteArray("<html>oops</html>") << QByteArray() << "Ошибка сервера (HTTP 500).";
    QTest::newRow("404 empty object") << 404 << QByteArray("{}") << QByteArray() << "Ошибка сервера (HTTP 404).";
    QTest::newRow("400 error not a string") << 400 << QByteArray(R"({"error":5})") << QByteArray() << "Ошибка сервера (HTTP 400).";
    QTest::newRow("502 array") << 502 << QByteArray(R"(["error"])") << QByteArray() << "Ошибка сервера (HTTP 502).";
    // A 429 is one more status: the service's text, else the status; a Retry-After changes nothing.
    QTest::newRow("429 empty body") << 429 << QByteArray() << QByteArray() << "Ошибка сервера (HTTP 429).";
    QTest::newRow("429 with Retry-After") << 429 << QByteArray(R"({"ok":false})") << QByteArray("30")
                                          << "Ошибка сервера (HTTP 429).";
    QTest::newRow("429 with text and Retry-After") << 429 << QByteArray(R"({"error":"Лимит на сегодня"})")
                                                   << QByteArray("120") << "Лимит на сегодня";
    QTest::newRow("200 ok false no error") << 200 << QByteArray(R"({"ok":false})") << QByteArray() << "Запрос не выполнен.";
    QTest::newRow("200 ok false with error") << 200 << QByteArray(R"({"ok":false,"error":"Нет"})") << QByteArray() << "Нет";
    QTest::newRow("200 ok as string") << 200 << QByteArray(R"({"ok":"true"})") << QByteArray()
                                      << "Не удалось прочитать ответ сервера. Повторите попытку.";
    QTest::newRow("302 is not success") << 302 << QByteArray(R"({"ok":true})") << QByteArray() << "Ошибка сервера (HTTP 302).";
}

void TransportTest::statusMapping()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, retryAfter);
    QFETCH(QString, message);
    ClientFixture f;
    f.giveSessionCookie();
    service::ScriptedReply reply = f.reply(status, body);
    if (!retryAfter.isEmpty())
        reply.headers.append({QByteArray("Retry-After"), retryAfter});
    f.service.script("POST", "/api/x", reply);
    VEXA_AWAIT(result, f.client->request(QStringLiteral("/api/x"), QJsonObject()));
    QVERIFY(!result);
    QCOMPARE(describe(result.error()), message);
    QVERIFY(f.hasSessionCookie()); // only 401 signs out
}

void TransportTest::unauthorizedSignsOut()
{
    ClientFixture f;
    f.service.setFixedCode(QStringLiteral("123456"));
    VEXA_AWAIT_VOID(f.client->signIn(QStringLiteral("123456")));
    QVERIFY(f.client->isSignedIn());
    QVERIFY(!f.client->chats().isEmpty());
    QVERIFY(f.hasSessionCookie());

    // Another host's cookie in the same jar survives the sign-out.
    QNetworkCookie other("other", "1");
    other.setPath(QStringLiteral("/"));
    f.client->cookieJar()->setCookiesFromUrl({other}, QUrl(QStringLiteral("https://example.org/")));

    f.service.script("GET", "/api/anything", f.reply(401, R"({"error":"expired"})"));
    QSignalSpy stateSpy(f.client.get(), &VexaClient::stateChanged);
    VEXA_AWAIT(result, f.client->request(QStringLiteral("/api/anything")));
    QVERIFY(!result);
    QVERIFY(isUnauthenticated(result.error()));
    QCOMPARE(describe(result.error()), QStringLiteral("Войдите снова с помощью кода из Telegram."));
    QVERIFY(!f.client->isSignedIn());
    QVERIFY(f.client->chats().isEmpty());
    QVERIFY(f.client->entries().isEmpty());
    QVERIFY(!f.client->activeChatID());
    QVERIFY(!f.client->hasNotice());
    QVERIFY(!f.hasSessionCookie());
    QCOMPARE(f.client->cookieJar()->cookiesForUrl(QUrl(QStringLiteral("https://example.org/"))).size(), 1);
    QVERIFY(stateSpy.count() >= 1);

    // And on disk: a new client on the same file has no session either.
    auto again = f.makeClient();
    QCOMPARE(again->cookieJar()->cookiesForUrl(f.service.baseUrl()).size(), 0);
    QCOMPARE(again->cookieJar()->cookiesForUrl(QUrl(QStringLiteral("https://example.org/"))).size(), 1);
}

void TransportTest::notJsonIsInvalidForEveryDecodingCall()
{
    ClientFixture f;
    f.service.script("GET", "/api/a", f.reply(200, "Bad Gateway"));
    f.service.script("POST", "/api/a", f.reply(200, "Bad Gateway"));
    const QString invalid = VexaError::invalidResponse().description();
    VEXA_AWAIT(viaRequest, f.client->request(QStringLiteral("/api/a")));
    QVERIFY(!viaRequest);
    QCOMPARE(describe(viaRequest.error()), invalid);
    VEXA_AWAIT(viaFetch, f.client->fetch<VexaChatsResponse>(QStringLiteral("/api/a")));
    QVERIFY(!viaFetch);
    QCOMPARE(describe(viaFetch.error()), invalid);
    VEXA_AWAIT(viaPost, f.client->fetchWithBody<VexaChatsResponse>(QStringLiteral("/api/a"), QJsonObject()));
    QVERIFY(!viaPost);
    QCOMPARE(describe(viaPost.error()), invalid);

    // fetch does not look at "ok": a well-formed record with ok false is returned as it is.
    f.service.script("GET", "/api/b", f.reply(200, R"({"ok":false,"chats":[]})"));
    VEXA_AWAIT(notOk, f.client->fetch<VexaChatsResponse>(QStringLiteral("/api/b")));
    QVERIFY(notOk);
    QVERIFY(!notOk->ok);
}

void TransportTest::utilityRefusesOtherPathsWithoutTraffic()
{
    ClientFixture f;
    // Dot segments, plain or percent-encoded, would let the service resolve the path elsewhere.
    for (const char *path : {"/api/state", "/api/productivity", "/api/notice", "/apinotices",
                             "/api/productivity/../state", "/api/productivity/%2e%2e/state",
                             "/api/productivity/%2E%2E%2Fstate", "/api/productivity/.%2e/chats",
                             "/api/productivity/..\\state", "/api/notices/../state",
                             "/api/productivity/./../state", "/api/noticesboard"}) {
        VEXA_AWAIT(result, f.client->utility(QString::fromLatin1(path)));
        QVERIFY(!result);
        QVERIFY(isInvalidResponse(result.error()));
    }
    QVERIFY(f.service.requests().isEmpty());
}

void TransportTest::utilityReplies_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("outcome"); // 0 object, 1 invalidResponse, 2 JSON parse error
    QTest::newRow("object without ok") << "/api/productivity/docs" << QByteArray(R"({"items":[1]})") << 0;
    QTest::newRow("ok false is still returned") << "/api/notices" << QByteArray(R"({"ok":false})") << 0;
    QTest::newRow("notices subpath") << "/api/notices/read" << QByteArray("{}") << 0;
    QTest::newRow("array") << "/api/productivity/docs" << QByteArray("[1,2]") << 1;
    QTest::newRow("not json") << "/api/productivity/docs" << QByteArray("nope") << 2;
}

void TransportTest::utilityReplies()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    QFETCH(int, outcome);
    ClientFixture f;
    f.service.script("GET", path, f.reply(200, body));
    VEXA_AWAIT(result, f.client->utility(path));
    switch (outcome) {
    case 0:
        QVERIFY(result);
        QCOMPARE(*result, QJsonDocument::fromJson(body).object());
        break;
    case 1:
        QVERIFY(!result);
        QVERIFY(isInvalidResponse(result.error()));
        break;
    default:
        QVERIFY(!result);
        QVERIFY(std::holds_alternative<PlatformError>(result.error()));
        QCOMPARE(std::get<PlatformError>(result.error()).source, PlatformError::Source::Json);
    }
}

void TransportTest::pathLeavingTheOriginIsNotSent_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("other host") << "//example.org/api/state";
    QTest::newRow("absolute url") << "https://example.org/api/state";
    QTest::newRow("bad percent escape") << "/api/x%zz";
}

void TransportTest::pathLeavingTheOriginIsNotSent()
{
    QFETCH(QString, path);
    ClientFixture f;
    f.giveSessionCookie();
    VEXA_AWAIT(result, f.client->requestData(path, "GET", std::nullopt));
    QVERIFY(!result);
    QVERIFY(isInvalidResponse(result.error()));
    QVERIFY(f.service.requests().isEmpty());
}

void TransportTest::connectionRefusedIsExplained()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close(); // nothing listens there now
    QTemporaryDir dir;
    VexaClient client(QStringLiteral("http://127.0.0.1:%1").arg(port), dir.filePath(QStringLiteral("c")));
    VEXA_AWAIT_VOID(client.restoreSession());
    QVERIFY(!client.isSignedIn());
    QVERIFY(!client.hasNotice()); // a failed restore is silent
    VEXA_AWAIT(result, client.request(QStringLiteral("/api/state")));
    QVERIFY(!result);
    const auto *platform = std::get_if<PlatformError>(&result.error());
    QVERIFY(platform);
    QCOMPARE(platform->source, PlatformError::Source::Network);
    QCOMPARE(platform->description, client::connectionRefused());
}

void TransportTest::originRules_data()
{
    QTest::addColumn<QString>("origin");
    QTest::addColumn<QString>("expected"); // empty: refused
    QTest::newRow("https") << "https://vexa.example" << "https://vexa.example";
    QTest::newRow("https with port") << "https://vexa.example:8443" << "https://vexa.example:8443";
    QTest::newRow("trailing slash") << "https://vexa.example/" << "https://vexa.example";
    QTest::newRow("loopback http") << "http://127.0.0.1:8080" << "http://127.0.0.1:8080";
    QTest::newRow("loopback range") << "http://127.3.2.1" << "http://127.3.2.1";
    QTest::newRow("localhost") << "http://localhost:9" << "http://localhost:9";
    QTest::newRow("ipv6 loopback") << "http://[::1]:9" << "http://[::1]:9";
    QTest::newRow("plain http elsewhere") << "http://vexa.example" << "";
    QTest::newRow("private address") << "http://192.168.1.2" << "";
    QTest::newRow("with path") << "https://vexa.example/api" << "";
    QTest::newRow("with query") << "https://vexa.example?x=1" << "";
    QTest::newRow("other scheme") << "ftp://vexa.example" << "";
    QTest::newRow("no host") << "https://" << "";
    QTest::newRow("credentials") << "https://user:pw@vexa.example" << "";
}

void TransportTest::originRules()
{
    QFETCH(QString, origin);
    QFETCH(QString, expected);
    auto result = ServiceOrigin::validate(origin);
    if (expected.isEmpty()) {
        QVERIFY(!result);
        QVERIFY(result.error().contains(origin));
    } else {
        QVERIFY2(result, qPrintable(result ? QString() : result.error()));
        QCOMPARE(result->toString(), expected);
    }
}

void TransportTest::refusedOriginSendsNothing()
{
    QTemporaryDir dir;
    VexaClient client(QStringLiteral("http://vexa.example"), dir.filePath(QStringLiteral("c")));
    QVERIFY(!client.originError().isEmpty());
    VEXA_AWAIT_VOID(client.signIn(QStringLiteral("123456")));
    QCOMPARE(client.noticeText(), client.originError());
    QVERIFY(!client.loading());
}

void TransportTest::closingClientEndsWaitingRequests_data()
{
    QTest::addColumn<bool>("sessionInKeyring");
    QTest::newRow("reply on its way") << false;
    QTest::newRow("session still in the keyring") << true;
}

// A client going away (the window closing, a test ending) with requests outstanding: each
// awaiting caller gets an answer at once instead of staying suspended for good, with its frame
// and everything it holds.
void TransportTest::closingClientEndsWaitingRequests()
{
    QFETCH(bool, sessionInKeyring);
    ClientFixture f;
    f.service.script("GET", "/api/state", f.reply(200, R"({"ok":true})", 3000));
    auto keyring = std::make_shared<HeldKeyring>();
    std::unique_ptr<VexaClient> client = sessionInKeyring
        ? std::make_unique<VexaClient>(f.service.baseUrl().toString(), f.cookieFile(), keyring)
        : std::move(f.client);

    auto outcome = std::make_shared<std::optional<Result<VexaResponse>>>();
    fetchState(client.get(), outcome);
    if (sessionInKeyring)
        QTest::qWait(vexa::test::scaledMs(50));
    else
        QVERIFY(vexa::test::waitUntil([&] { return !f.service.requests(QStringLiteral("/api/state")).isEmpty(); }));
    QVERIFY(!outcome->has_value());

    client.reset();
    QVERIFY2(outcome->has_value(), "the caller was left waiting");
    QVERIFY(!**outcome);

    // The keyring answers after all: nothing goes out for the closed client.
    Q_EMIT keyring->released();
    QTest::qWait(vexa::test::scaledMs(50));
    QCOMPARE(f.service.requests(QStringLiteral("/api/state")).size(), sessionInKeyring ? 0 : 1);
}

QTEST_GUILESS_MAIN(TransportTest)
#include "tst_transport.moc"
