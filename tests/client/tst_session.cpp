// Restoring, signing in and out, refreshing, and mirroring the chat list.

#include "awaittask.h"
#include "clientfixture.h"

#include <QFile>
#include <QJsonDocument>

using namespace vexa;
using vexa::test::ClientFixture;

namespace {
const QString kInvalid = QStringLiteral("Не удалось прочитать ответ сервера. Повторите попытку.");
const QByteArray kCode = "123456";

QByteArray stateReply(const QByteArray &state)
{
    return R"({"ok":true,"state":)" + state + "}";
}
} // namespace

class SessionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void restoreWithCookieSignsInAndSyncsChats();
    void restoreFailuresAreSilent_data();
    void restoreFailuresAreSilent();
    void cookieSurvivesIntoNewClient();
    void cookieFileIsPrivate();

    void signInSendsTrimmedCode_data();
    void signInSendsTrimmedCode();
    void blankCodeAsksForOneWithoutTraffic_data();
    void blankCodeAsksForOneWithoutTraffic();
    void secondSignInWhileOneRunsDoesNothing();
    void signInDuringRestoreDoesNothing();
    void signInFailures_data();
    void signInFailures();
    void signInClearsImageTextAndNotice();

    void refreshOutcomes_data();
    void refreshOutcomes();
    void signOutClearsEverythingButOtherCookies();

    void chatListInstall_data();
    void chatListInstall();
    void syncFailureChangesNothing();
    void syncWhileSyncingJoinsIt();
    void restoreEndsWithTheChatsTheListAskedFor();
};

void SessionTest::restoreWithCookieSignsInAndSyncsChats()
{
    ClientFixture f;
    f.giveSessionCookie();
    QSignalSpy loading(f.client.get(), &VexaClient::loadingChanged);
    VEXA_AWAIT_VOID(f.client->restoreSession());
    QVERIFY(f.client->isSignedIn());
    QVERIFY(!f.client->loading());
    QCOMPARE(loading.count(), 2);
    QVERIFY(!f.client->chats().isEmpty());
    QVERIFY(f.client->activeChatID());
    QVERIFY(!f.client->entries().isEmpty());
    QVERIFY(!f.client->hasNotice());
    QCOMPARE(f.service.requests(QStringLiteral("/api/chats")).size(), 1);
}

void SessionTest::restoreFailuresAreSilent_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("no cookie") << 0 << QByteArray();
    QTest::newRow("server error") << 500 << QByteArray(R"({"error":"down"})");
    QTest::newRow("garbage") << 200 << QByteArray("<html>");
    QTest::newRow("ok false") << 200 << QByteArray(R"({"ok":false,"error":"x"})");
}

void SessionTest::restoreFailuresAreSilent()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    ClientFixture f;
    if (status != 0) {
        f.giveSessionCookie();
        f.service.script("GET", "/api/state", f.reply(status, body));
    }
    VEXA_AWAIT_VOID(f.client->restoreSession());
    QVERIFY(!f.client->isSignedIn());
    QVERIFY(!f.client->state());
    QVERIFY(!f.client->hasNotice());
    QVERIFY(!f.client->loading());
    // With a cookie the chat list is asked for alongside the state; it is not taken in.
    QVERIFY(f.client->chats().isEmpty());
    QVERIFY(f.client->entries().isEmpty());
    QVERIFY(!f.client->chatsLoading());
    if (status == 0)
        QVERIFY(f.service.requests(QStringLiteral("/api/chats")).isEmpty());
}

void SessionTest::cookieSurvivesIntoNewClient()
{
    ClientFixture f;
    f.service.setFixedCode(QString::fromLatin1(kCode));
    VEXA_AWAIT_VOID(f.client->signIn(QString::fromLatin1(kCode)));
    QVERIFY(f.client->isSignedIn());
    f.client.reset();

    auto next = f.makeClient();
    VEXA_AWAIT_VOID(next->restoreSession());
    QVERIFY(next->isSignedIn());
}

void SessionTest::cookieFileIsPrivate()
{
    ClientFixture f;
    f.giveSessionCookie();
    QFile file(f.cookieFile());
    QVERIFY(file.exists());
    QCOMPARE(file.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
             QFile::Permissions());
}

void SessionTest::signInSendsTrimmedCode_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("spaces and line break") << "  123456 \n";
    QTest::newRow("tab") << "\t123456";
    QTest::newRow("exact") << "123456";
}

void SessionTest::signInSendsTrimmedCode()
{
    QFETCH(QString, typed);
    ClientFixture f;
    f.service.setFixedCode(QString::fromLatin1(kCode));
    VEXA_AWAIT_VOID(f.client->signIn(typed));
    QVERIFY(f.client->isSignedIn());
    const auto log = f.service.requests(QStringLiteral("/api/web/sync"));
    QCOMPARE(log.size(), 1);
    QCOMPARE(log[0].method, QByteArray("POST"));
    QCOMPARE(QJsonDocument::fromJson(log[0].body).object(),
             QJsonObject({{QStringLiteral("code"), QString::fromLatin1(kCode)}}));
    QVERIFY(f.hasSessionCookie());
    QVERIFY(!f.client->chats().isEmpty()); // chats follow a sign-in
}

void SessionTest::blankCodeAsksForOneWithoutTraffic_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty") << "";
    QTest::newRow("spaces") << "   ";
    QTest::newRow("tabs and line breaks") << "\t\n \r\n";
}

void SessionTest::blankCodeAsksForOneWithoutTraffic()
{
    QFETCH(QString, typed);
    ClientFixture f;
    VEXA_AWAIT_VOID(f.client->signIn(typed));
    QCOMPARE(f.client->noticeText(), QStringLiteral("Введите код из Telegram-бота."));
    QVERIFY(!f.client->loading());
    QVERIFY(f.service.requests().isEmpty());
}

void SessionTest::secondSignInWhileOneRunsDoesNothing()
{
    ClientFixture f;
    f.service.setFixedCode(QString::fromLatin1(kCode));
    auto reply = f.reply(200, stateReply(R"({"user":{"user_id":1}})"), 300);
    f.service.script("POST", "/api/web/sync", reply);
    f.service.script("GET", "/api/chats", f.reply(200, R"({"ok":true,"chats":[]})"));
    QCoro::Task<> first = f.client->signIn(QString::fromLatin1(kCode));
    QVERIFY(f.client->loading());
    VEXA_AWAIT_VOID(f.client->signIn(QStringLiteral("999999"))); // returns at once
    VEXA_AWAIT_VOID(std::move(first));
    QCOMPARE(f.service.requests(QStringLiteral("/api/web/sync")).size(), 1);
    QVERIFY(f.client->isSignedIn());
}

void SessionTest::signInDuringRestoreDoesNothing()
{
    ClientFixture f;
    f.service.script("GET", "/api/state", f.reply(401, "{}", 300));
    QCoro::Task<> restore = f.client->restoreSession();
    VEXA_AWAIT_VOID(f.client->signIn(QString::fromLatin1(kCode)));
    VEXA_AWAIT_VOID(std::move(restore));
    QVERIFY(f.service.requests(QStringLiteral("/api/web/sync")).isEmpty());
    QVERIFY(!f.client->hasNotice());
}

void SessionTest::signInFailures_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("notice");
    QTest::newRow("no user id") << 200 << stateReply(R"({"user":{"username":"alina"}})") << kInvalid;
    QTest::newRow("no user") << 200 << stateReply("{}") << kInvalid;
    QTest::newRow("no state") << 200 << QByteArray(R"({"ok":true})") << kInvalid;
    QTest::newRow("ok false") << 200 << QByteArray(R"({"ok":false,"error":"Код устарел"})") << "Код устарел";
    QTest::newRow("refused") << 403 << QByteArray(R"({"ok":false,"error":"Неверный код"})") << "Неверный код";
    QTest::newRow("unauthorized") << 401 << QByteArray("{}") << "Войдите снова с помощью кода из Telegram.";
    QTest::newRow("real wrong code") << 0 << QByteArray() << "";
}

void SessionTest::signInFailures()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, notice);
    ClientFixture f;
    if (status != 0)
        f.service.script("POST", "/api/web/sync", f.reply(status, body));
    VEXA_AWAIT_VOID(f.client->signIn(QStringLiteral("000000")));
    QVERIFY(!f.client->isSignedIn());
    QVERIFY(!f.client->state());
    QVERIFY(!f.client->loading());
    QVERIFY(f.client->hasNotice());
    if (status != 0)
        QCOMPARE(f.client->noticeText(), notice);
    else // the service's own refusal reaches the user unchanged
        QVERIFY(f.client->noticeText() != kInvalid && !f.client->noticeText().startsWith(QLatin1String("Ошибка сервера")));
    QVERIFY(f.service.requests(QStringLiteral("/api/chats")).isEmpty());
}

void SessionTest::signInClearsImageTextAndNotice()
{
    ClientFixture f;
    f.service.setFixedCode(QString::fromLatin1(kCode));
    VEXA_AWAIT_VOID(f.client->signIn(QStringLiteral(" ")));
    QVERIFY(f.client->hasNotice());
    VEXA_AWAIT_VOID(f.client->signIn(QString::fromLatin1(kCode)));
    QVERIFY(!f.client->hasNotice());
    QVERIFY(!f.client->imageTextResult());
}

void SessionTest::refreshOutcomes_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("signedIn");
    QTest::addColumn<QString>("notice"); // empty: none
    QTest::newRow("fresh state") << 200 << stateReply(R"({"user":{"user_id":5},"model":"m"})") << true << "";
    QTest::newRow("no state") << 200 << QByteArray(R"({"ok":true})") << false << kInvalid;
    QTest::newRow("401") << 401 << QByteArray("{}") << false << "Войдите снова с помощью кода из Telegram.";
    QTest::newRow("server error keeps state") << 500 << QByteArray("x") << true << "Ошибка сервера (HTTP 500).";
}

void SessionTest::refreshOutcomes()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, signedIn);
    QFETCH(QString, notice);
    ClientFixture f;
    f.giveSessionCookie();
    VEXA_AWAIT_VOID(f.client->restoreSession());
    QVERIFY(f.client->isSignedIn());
    f.service.script("GET", "/api/state", f.reply(status, body));
    VEXA_AWAIT_VOID(f.client->refresh());
    QCOMPARE(f.client->isSignedIn(), signedIn);
    QCOMPARE(f.client->noticeText(), notice);
    QCOMPARE(f.client->hasNotice(), !notice.isEmpty());
}

void SessionTest::signOutClearsEverythingButOtherCookies()
{
    ClientFixture f;
    f.giveSessionCookie();
    QNetworkCookie other("keep", "1");
    other.setPath(QStringLiteral("/"));
    const QUrl otherHost(QStringLiteral("https://t.example/"));
    f.client->cookieJar()->setCookiesFromUrl({other}, otherHost);
    VEXA_AWAIT_VOID(f.client->restoreSession());
    QVERIFY(!f.client->entries().isEmpty());
    f.client->signOut();
    QVERIFY(!f.client->state());
    QVERIFY(f.client->entries().isEmpty());
    QVERIFY(f.client->chats().isEmpty());
    QVERIFY(!f.client->activeChatID());
    QVERIFY(!f.hasSessionCookie());
    QCOMPARE(f.client->cookieJar()->cookiesForUrl(otherHost).size(), 1);
    VEXA_AWAIT_VOID(f.client->restoreSession()); // the service no longer knows us
    QVERIFY(!f.client->isSignedIn());
}

void SessionTest::chatListInstall_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("chats");
    QTest::addColumn<QString>("active");
    QTest::addColumn<QStringList>("entries"); // texts; "<kept>" for entries unchanged
    QTest::newRow("active chat listed")
        << QByteArray(R"({"ok":true,"active_chat_id":7,"chats":[{"id":"1","messages":[]},
             {"id":7,"title":"T","messages":[{"role":"user","text":"q","time":1000},{"role":"bot","text":"a"}]}]})")
        << 2 << "7" << QStringList{QStringLiteral("q"), QStringLiteral("a")};
    QTest::newRow("active chat missing keeps entries")
        << QByteArray(R"({"ok":true,"active_chat_id":"99","chats":[{"id":"1"}]})") << 1 << "99"
        << QStringList{QStringLiteral("<kept>")};
    QTest::newRow("no active chat keeps entries")
        << QByteArray(R"({"ok":true,"chats":[]})") << 0 << "" << QStringList{QStringLiteral("<kept>")};
    QTest::newRow("ok false still installed")
        << QByteArray(R"({"ok":false,"active_chat_id":"1","chats":[{"id":"1"}]})") << 1 << "1" << QStringList{};
}

void SessionTest::chatListInstall()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, chats);
    QFETCH(QString, active);
    QFETCH(QStringList, entries);
    ClientFixture f;
    f.giveSessionCookie();
    VEXA_AWAIT_VOID(f.client->restoreSession());
    const auto before = f.client->entries();
    QVERIFY(!before.isEmpty());
    f.service.script("GET", "/api/chats", f.reply(200, reply));
    VEXA_AWAIT_VOID(f.client->syncChats());
    QCOMPARE(f.client->chats().size(), chats);
    QCOMPARE(f.client->activeChatIDText(), active);
    if (entries == QStringList{QStringLiteral("<kept>")}) {
        QCOMPARE(f.client->entries().size(), before.size());
        QCOMPARE(f.client->entries().first().id, before.first().id);
        return;
    }
    QStringList texts;
    for (const ChatEntry &e : f.client->entries())
        texts << e.text;
    QCOMPARE(texts, entries);
}

void SessionTest::syncFailureChangesNothing()
{
    ClientFixture f;
    f.giveSessionCookie();
    VEXA_AWAIT_VOID(f.client->restoreSession());
    const int chats = f.client->chats().size();
    const auto firstId = f.client->entries().first().id;
    f.service.script("GET", "/api/chats", f.reply(200, R"({"chats":[]})")); // no "ok": unreadable
    VEXA_AWAIT_VOID(f.client->syncChats());
    QCOMPARE(f.client->chats().size(), chats);
    QCOMPARE(f.client->entries().first().id, firstId);
    QVERIFY(!f.client->hasNotice());
    QVERIFY(!f.client->chatsLoading());
}

// A sync asked for while one is on its way sends nothing more and ends with that one: its
// caller goes on with the chats in, not with the list still loading.
void SessionTest::syncWhileSyncingJoinsIt()
{
    ClientFixture f;
    f.giveSessionCookie();
    f.service.script("GET", "/api/chats", f.reply(200, R"({"ok":true,"chats":[]})", 300));
    QCoro::Task<> first = f.client->syncChats();
    QVERIFY(f.client->chatsLoading());
    VEXA_AWAIT_VOID(f.client->syncChats());
    QVERIFY(!f.client->chatsLoading());
    VEXA_AWAIT_VOID(std::move(first));
    QCOMPARE(f.service.requests(QStringLiteral("/api/chats")).size(), 1);
}

// The chat list asks for the chats as the signed-in screens appear, which they do as the
// restore's state comes in: the restore still ends only once the chats are there, so the window
// it reveals shows them.
void SessionTest::restoreEndsWithTheChatsTheListAskedFor()
{
    ClientFixture f;
    f.giveSessionCookie();
    f.service.script("GET", "/api/chats",
                     f.reply(200, R"({"ok":true,"active_chat_id":"c1","chats":[{"id":"c1","title":"Один",)"
                                  R"("messages":[{"role":"user","text":"привет"}]}]})", 200));
    QObject::connect(f.client.get(), &VexaClient::stateChanged, f.client.get(), [&f] {
        if (f.client->isSignedIn())
            f.client->startSyncChats();
    });
    bool chatsInWhenDone = false;
    QObject::connect(f.client.get(), &VexaClient::loadingChanged, f.client.get(), [&] {
        if (!f.client->loading())
            chatsInWhenDone = !f.client->chats().isEmpty() && !f.client->entries().isEmpty();
    });
    VEXA_AWAIT_VOID(f.client->restoreSession());
    QVERIFY(chatsInWhenDone);
    QVERIFY(!f.client->chatsLoading());
    QCOMPARE(f.service.requests(QStringLiteral("/api/chats")).size(), 1);
}

QTEST_GUILESS_MAIN(SessionTest)
#include "tst_session.moc"
