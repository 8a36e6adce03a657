// The local Vexa service in-process, over real loopback HTTP.

#include "awaittask.h"
#include "httpclient.h"

#include "localservice.h"
#include "router.h"
#include "servicestate.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>

using namespace vexa::service;
using vexa::test::HttpClient;
using vexa::test::HttpResult;
using vexa::test::PendingHttp;
using vexa::test::scaledMs;
using vexa::test::waitUntil;

namespace {

const QString kCodeRefused = QStringLiteral(
    "Код не подошёл или устарел. Получите новый код командой /web в Telegram-боте.");
const QString kSignInRequired = QStringLiteral("Требуется вход.");

// ---- JSON type checks (the client decodes strictly) ----------------------------------------

bool isInteger(const QJsonValue &v)
{
    // Qt's parser keeps integral numbers as integers: they come back as qlonglong.
    return v.isDouble() && v.toVariant().typeId() == QMetaType::LongLong;
}

enum class Kind { Integer, Bool, String, Object, Array, Number };

bool hasKind(const QJsonValue &v, Kind kind)
{
    switch (kind) {
    case Kind::Integer: return isInteger(v);
    case Kind::Bool: return v.isBool();
    case Kind::String: return v.isString();
    case Kind::Object: return v.isObject();
    case Kind::Array: return v.isArray();
    case Kind::Number: return v.isDouble();
    }
    return false;
}

struct Checker {
    QStringList problems;

    void required(const QJsonObject &o, const QString &key, Kind kind, const QString &where)
    {
        if (!o.contains(key) || o.value(key).isNull())
            problems << where + "." + key + " is missing";
        else if (!hasKind(o.value(key), kind))
            problems << where + "." + key + " has the wrong type";
    }
    void optional(const QJsonObject &o, const QString &key, Kind kind, const QString &where)
    {
        if (o.contains(key) && !o.value(key).isNull() && !hasKind(o.value(key), kind))
            problems << where + "." + key + " has the wrong type";
    }
    void onlyKeys(const QJsonObject &o, const QStringList &keys, const QString &where)
    {
        for (const QString &k : o.keys()) {
            if (!keys.contains(k))
                problems << where + " has an unexpected key " + k;
        }
    }
};

// Checks a VexaState: every state key is present (the demo account is complete) and every
// value has the type the client's strict decoder expects.
QStringList checkState(const QJsonObject &s)
{
    Checker c;
    const QStringList stateKeys = {"user", "plan", "model", "models", "limits", "funpay_limits",
                                   "stats", "can_generate_images", "image_models", "image_model",
                                   "image_model_locked", "model_locked", "image_output_type",
                                   "memories", "projects", "actions", "referral", "daily_bonus",
                                   "features", "settings"};
    for (const QString &k : stateKeys) {
        if (!s.contains(k))
            c.problems << "state." + k + " is missing";
    }
    c.onlyKeys(s, stateKeys, "state");

    const QJsonObject user = s.value("user").toObject();
    c.required(s, "user", Kind::Object, "state");
    c.required(user, "user_id", Kind::Integer, "user");
    c.required(user, "username", Kind::String, "user");
    c.required(user, "first_name", Kind::String, "user");

    const QJsonObject plan = s.value("plan").toObject();
    c.required(s, "plan", Kind::Object, "state");
    c.required(plan, "id", Kind::String, "plan");
    c.required(plan, "title", Kind::String, "plan");
    c.required(plan, "expires_label", Kind::String, "plan");

    c.required(s, "model", Kind::String, "state");
    c.required(s, "models", Kind::Array, "state");
    const QJsonArray models = s.value("models").toArray();
    for (qsizetype i = 0; i < models.size(); ++i) {
        const QString where = QStringLiteral("models[%1]").arg(i);
        if (!models.at(i).isObject()) {
            c.problems << where + " is not an object";
            continue;
        }
        const QJsonObject m = models.at(i).toObject();
        c.required(m, "id", Kind::String, where);
        c.required(m, "title", Kind::String, where);
        c.optional(m, "description", Kind::String, where);
        c.required(m, "is_available", Kind::Bool, where);
    }

    c.required(s, "limits", Kind::Object, "state");
    const QJsonObject limits = s.value("limits").toObject();
    for (const char *k : {"minute", "day", "week", "used_day", "bonus_requests", "image_credits"})
        c.required(limits, k, Kind::Integer, "limits");

    c.required(s, "funpay_limits", Kind::Object, "state");
    const QJsonObject fp = s.value("funpay_limits").toObject();
    for (const char *k : {"day", "week", "used_day", "used_week"})
        c.required(fp, k, Kind::Integer, "funpay_limits");

    c.required(s, "stats", Kind::Object, "state");
    const QJsonObject stats = s.value("stats").toObject();
    c.required(stats, "messages", Kind::Integer, "stats");
    c.required(stats, "images", Kind::Integer, "stats");
    c.required(stats, "streak", Kind::Object, "stats");
    c.required(stats.value("streak").toObject(), "current_streak", Kind::Integer, "streak");

    c.required(s, "can_generate_images", Kind::Bool, "state");
    c.required(s, "image_models", Kind::Object, "state");
    const QJsonObject imageModels = s.value("image_models").toObject();
    for (auto it = imageModels.begin(); it != imageModels.end(); ++it) {
        if (!it.value().isString())
            c.problems << "image_models." + it.key() + " is not a string";
    }
    c.required(s, "image_model", Kind::String, "state");
    c.required(s, "image_model_locked", Kind::Bool, "state");
    c.required(s, "model_locked", Kind::Bool, "state");
    c.required(s, "image_output_type", Kind::String, "state");

    // memories, projects, actions: integer id, one required string, two optional strings.
    const struct {
        const char *list;
        const char *required;
        const char *optional1;
        const char *optional2;
    } lists[] = {{"memories", "content", "source", "created_at"},
                 {"projects", "name", "description", "updated_at"},
                 {"actions", "title", "description", "instruction"}};
    for (const auto &l : lists) {
        c.required(s, l.list, Kind::Array, "state");
        const QJsonArray items = s.value(l.list).toArray();
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QString where = QStringLiteral("%1[%2]").arg(l.list).arg(i);
            const QJsonObject item = items.at(i).toObject();
            c.required(item, "id", Kind::Integer, where);
            c.required(item, l.required, Kind::String, where);
            c.optional(item, l.optional1, Kind::String, where);
            c.optional(item, l.optional2, Kind::String, where);
        }
    }

    c.required(s, "referral", Kind::Object, "state");
    c.required(s.value("referral").toObject(), "link", Kind::String, "referral");
    c.required(s, "daily_bonus", Kind::Object, "state");
    c.required(s.value("daily_bonus").toObject(), "claimed", Kind::Bool, "daily_bonus");
    c.required(s.value("daily_bonus").toObject(), "amount", Kind::Integer, "daily_bonus");
    c.required(s, "features", Kind::Object, "state");
    for (const char *k : {"long_memory", "projects", "actions", "web_search"})
        c.required(s.value("features").toObject(), k, Kind::Bool, "features");
    c.required(s, "settings", Kind::Object, "state");
    for (const char *k : {"mode", "response_length", "creativity", "language"})
        c.required(s.value("settings").toObject(), k, Kind::String, "settings");
    return c.problems;
}

// Checks a VexaChatsResponse as the service sends it (strictly, not just leniently decodable).
QStringList checkChats(const QJsonObject &reply)
{
    Checker c;
    c.required(reply, "ok", Kind::Bool, "reply");
    c.required(reply, "chats", Kind::Array, "reply");
    c.required(reply, "active_chat_id", Kind::String, "reply");
    const QJsonArray chats = reply.value("chats").toArray();
    for (qsizetype i = 0; i < chats.size(); ++i) {
        const QString where = QStringLiteral("chats[%1]").arg(i);
        const QJsonObject chat = chats.at(i).toObject();
        c.required(chat, "id", Kind::String, where);
        c.required(chat, "title", Kind::String, where);
        c.required(chat, "messages", Kind::Array, where);
        const QJsonArray messages = chat.value("messages").toArray();
        for (qsizetype j = 0; j < messages.size(); ++j) {
            const QString mwhere = where + QStringLiteral(".messages[%1]").arg(j);
            const QJsonObject m = messages.at(j).toObject();
            c.required(m, "role", Kind::String, mwhere);
            c.required(m, "text", Kind::String, mwhere);
            c.optional(m, "time", Kind::Integer, mwhere); // a double on the client; sent integral
            c.optional(m, "image_url", Kind::String, mwhere);
            const QString role = m.value("role").toString();
            if (role != "user" && role != "assistant")
                c.problems << mwhere + " has role " + role;
        }
    }
    return c.problems;
}

bool hasCyrillic(const QString &text)
{
    return text.contains(QRegularExpression(QStringLiteral("[А-Яа-яЁё]")));
}

// ---- raw socket HTTP, for what QNetworkAccessManager hides ----------------------------------

struct RawResponse {
    QByteArray statusLine;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    qint64 declaredLength = -1;
    bool complete = false;
};

// Reads one response from the socket: headers, then exactly Content-Length bytes.
RawResponse readRawResponse(QTcpSocket &socket, QByteArray &buffer, int timeoutMs = 5000)
{
    RawResponse r;
    waitUntil(
        [&] {
            buffer += socket.readAll();
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return false;
            if (r.declaredLength < 0) {
                const QList<QByteArray> lines = buffer.left(end).split('\n');
                r.statusLine = lines.value(0).trimmed();
                r.headers.clear();
                for (qsizetype i = 1; i < lines.size(); ++i) {
                    const qsizetype colon = lines.at(i).indexOf(':');
                    const QByteArray name = lines.at(i).left(colon).trimmed();
                    const QByteArray value = lines.at(i).mid(colon + 1).trimmed();
                    r.headers.append({name, value});
                    if (name.toLower() == "content-length")
                        r.declaredLength = value.toLongLong();
                }
                if (r.declaredLength < 0)
                    r.declaredLength = 0;
            }
            return buffer.size() >= end + 4 + r.declaredLength;
        },
        timeoutMs);
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end >= 0 && r.declaredLength >= 0 && buffer.size() >= end + 4 + r.declaredLength) {
        r.body = buffer.mid(end + 4, r.declaredLength);
        buffer.remove(0, end + 4 + r.declaredLength);
        r.complete = true;
    }
    return r;
}

} // namespace

class TestService : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LocalService> service;

    std::unique_ptr<HttpClient> client() { return std::make_unique<HttpClient>(service->baseUrl()); }

    // A client with a valid session cookie in its jar.
    std::unique_ptr<HttpClient> signedInClient()
    {
        auto c = client();
        c->setCookie(LocalService::cookieName(), service->createSession());
        return c;
    }

private Q_SLOTS:
    void init()
    {
        service = std::make_unique<LocalService>();
        QVERIFY(service->listen());
        QVERIFY(service->port() != 0);
    }
    void cleanup() { service.reset(); }

    // ---- basics ----

    void listensOnLoopbackWithAFreePort()
    {
        const QUrl base = service->baseUrl();
        QCOMPARE(base.scheme(), QStringLiteral("http"));
        QCOMPARE(base.host(), QStringLiteral("127.0.0.1"));
        QCOMPARE(base.port(), int(service->port()));
        QVERIFY(base.path().isEmpty());

        LocalService other;
        QVERIFY(other.listen());
        QVERIFY(other.port() != service->port());

        LocalService clash;
        QVERIFY(!clash.listen(QHostAddress::LocalHost, service->port()));
        QVERIFY(!clash.errorString().isEmpty());
    }

    // ---- authentication ----

    void endpointsNeedASession_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("cookie"); // sent as Cookie header; empty: none

        QTest::newRow("state, no cookie") << QByteArray("GET") << "/api/state" << QByteArray();
        QTest::newRow("chats, no cookie") << QByteArray("GET") << "/api/chats" << QByteArray();
        QTest::newRow("state, unknown token")
            << QByteArray("GET") << "/api/state" << QByteArray("vexa_session=not-a-session");
        QTest::newRow("state, empty token")
            << QByteArray("GET") << "/api/state" << QByteArray("vexa_session=");
        QTest::newRow("state, other cookie only")
            << QByteArray("GET") << "/api/state" << QByteArray("other=1");
        QTest::newRow("state with query, no cookie")
            << QByteArray("GET") << "/api/state?x=1" << QByteArray();
    }
    void endpointsNeedASession()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(QByteArray, cookie);
        auto c = client();
        QList<QPair<QByteArray, QByteArray>> headers;
        if (!cookie.isEmpty())
            headers.append({"Cookie", cookie});
        const HttpResult r = c->send(method, path, {}, headers);
        QVERIFY(r.finished);
        QCOMPARE(r.status, 401);
        QVERIFY(r.header("content-type").startsWith("application/json"));
        QCOMPARE(r.json().value("ok"), QJsonValue(false));
        QCOMPARE(r.json().value("error").toString(), kSignInRequired);
    }

    void sessionFromCreateSessionIsAccepted()
    {
        auto c = signedInClient();
        const HttpResult r = c->get("/api/state");
        QCOMPARE(r.status, 200);
        QCOMPARE(r.json().value("ok"), QJsonValue(true));

        // The cookie may share the header with others.
        auto raw = client();
        const QByteArray token = service->createSession();
        const HttpResult r2 = raw->send("GET", "/api/chats", {},
                                        {{"Cookie", "a=1; vexa_session=" + token + "; b=2"}});
        QCOMPARE(r2.status, 200);
    }

    void endSessionsSignsEveryoneOut()
    {
        auto c = signedInClient();
        QCOMPARE(c->get("/api/state").status, 200);
        service->endSessions();
        QCOMPARE(c->get("/api/state").status, 401);
        QCOMPARE(c->get("/api/chats").status, 401);
    }

    void unknownPathsAndMethods_data()
    {
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");

        QTest::newRow("unknown api path") << true << QByteArray("GET") << "/api/nothing-here" << 404;
        QTest::newRow("unknown api path, signed out")
            << false << QByteArray("GET") << "/api/nothing-here" << 404;
        QTest::newRow("trailing slash is another path") << true << QByteArray("GET") << "/api/state/" << 404;
        QTest::newRow("outside /api") << true << QByteArray("GET") << "/favicon.ico" << 404;
        QTest::newRow("wrong method") << true << QByteArray("PUT") << "/api/chats" << 405;
        QTest::newRow("wrong method on sync") << false << QByteArray("GET") << "/api/web/sync" << 405;
        QTest::newRow("delete") << true << QByteArray("DELETE") << "/api/state" << 405;
    }
    void unknownPathsAndMethods()
    {
        QFETCH(bool, signedIn);
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(int, status);
        auto c = signedIn ? signedInClient() : client();
        const HttpResult r = c->send(method, path);
        QCOMPARE(r.status, status);
        const QJsonObject body = r.json();
        QCOMPARE(body.value("ok"), QJsonValue(false));
        QVERIFY(body.value("error").isString());
        QVERIFY(hasCyrillic(body.value("error").toString()));
        if (status == 405)
            QVERIFY(!r.header("allow").isEmpty());
    }

    // ---- sign-in ----

    void badSignInsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");

        QTest::newRow("wrong code") << QByteArray(R"({"code":"000000"})") << 403 << kCodeRefused;
        QTest::newRow("five digits") << QByteArray(R"({"code":"12345"})") << 403 << kCodeRefused;
        QTest::newRow("letters") << QByteArray(R"({"code":"abcdef"})") << 403 << kCodeRefused;
        QTest::newRow("blank code") << QByteArray(R"({"code":"   "})") << 400 << kCodeRefused;
        QTest::newRow("empty code") << QByteArray(R"({"code":""})") << 400 << kCodeRefused;
        QTest::newRow("missing code") << QByteArray(R"({})") << 400 << kCodeRefused;
        QTest::newRow("code is a number") << QByteArray(R"({"code":123456})") << 400 << kCodeRefused;
        QTest::newRow("code is null") << QByteArray(R"({"code":null})") << 400 << kCodeRefused;
        QTest::newRow("not json") << QByteArray("code=123456") << 400 << QString();
        QTest::newRow("json array") << QByteArray(R"(["123456"])") << 400 << QString();
    }
    void badSignInsAreRefused()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, error);
        service->setFixedCode("123456");
        service->issueCode();
        auto c = client();
        const HttpResult r = c->send("POST", "/api/web/sync", body);
        QCOMPARE(r.status, status);
        QVERIFY(r.status < 200 || r.status > 299);
        QCOMPARE(r.json().value("ok"), QJsonValue(false));
        const QString text = r.json().value("error").toString();
        if (error.isEmpty())
            QVERIFY2(hasCyrillic(text), qPrintable(text));
        else
            QCOMPARE(text, error);
        QVERIFY(r.headerValues("set-cookie").isEmpty());
        QVERIFY(c->cookie(LocalService::cookieName()).isEmpty());
        QCOMPARE(c->get("/api/state").status, 401);
    }

    void issuedCodeWorksOnce()
    {
        const QString code = service->issueCode();
        QVERIFY(QRegularExpression("^[0-9]{6}$").match(code).hasMatch());

        auto c = client();
        const HttpResult first = c->signIn(code);
        QCOMPARE(first.status, 200);
        QCOMPARE(first.json().value("ok"), QJsonValue(true));
        QVERIFY(checkState(first.json().value("state").toObject()).isEmpty());
        QCOMPARE(first.json().value("state").toObject().value("user").toObject().value("user_id"),
                 QJsonValue(qint64(424242)));
        QVERIFY(!c->cookie(LocalService::cookieName()).isEmpty());
        QCOMPARE(c->get("/api/state").status, 200);

        auto other = client();
        const HttpResult again = other->signIn(code);
        QCOMPARE(again.status, 403);
        QCOMPARE(again.json().value("error").toString(), kCodeRefused);
        QCOMPARE(other->get("/api/state").status, 401);
        // The first session is not affected by the refused attempt.
        QCOMPARE(c->get("/api/state").status, 200);
    }

    void issuedCodesAreFreshAndIndependent()
    {
        QSet<QString> codes;
        for (int i = 0; i < 200; ++i) {
            const QString code = service->issueCode();
            QVERIFY(QRegularExpression("^[0-9]{6}$").match(code).hasMatch());
            codes.insert(code);
        }
        QCOMPARE(codes.size(), 200); // outstanding codes never repeat
        // Any of them works, once, in any order.
        const QStringList list(codes.begin(), codes.end());
        auto c = client();
        QCOMPARE(c->signIn(list.at(150)).status, 200);
        QCOMPARE(c->signIn(list.at(3)).status, 200);
        QCOMPARE(c->signIn(list.at(150)).status, 403);
    }

    void codeWithSurroundingSpaceIsAccepted()
    {
        const QString code = service->issueCode();
        auto c = client();
        QCOMPARE(c->signIn("  " + code + "\n").status, 200);
        // Inner characters stay as typed.
        const QString code2 = service->issueCode();
        QCOMPARE(c->signIn(code2.left(3) + " " + code2.mid(3)).status, 403);
    }

    void expiredCodeIsRefused_data()
    {
        QTest::addColumn<int>("lifetimeSeconds"); // 0: the default of 10 minutes
        QTest::newRow("default lifetime") << 0;
        QTest::newRow("30 seconds") << 30;
    }
    void expiredCodeIsRefused()
    {
        QFETCH(int, lifetimeSeconds);
        QDateTime now = QDateTime(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC);
        service->setClock([&now] { return now; });
        if (lifetimeSeconds)
            service->setCodeLifetime(std::chrono::seconds(lifetimeSeconds));
        else
            QCOMPARE(service->codeLifetime(), std::chrono::seconds(600));
        const qint64 lifetime = service->codeLifetime().count();

        const QString early = service->issueCode();
        const QString late = service->issueCode();
        auto c = client();

        now = now.addSecs(lifetime - 1); // still valid one second before the end
        QCOMPARE(c->signIn(early).status, 200);

        now = now.addSecs(1); // exactly the lifetime: expired
        const HttpResult r = c->signIn(late);
        QCOMPARE(r.status, 403);
        QCOMPARE(r.json().value("error").toString(), kCodeRefused);

        // A code issued now is fine again.
        QCOMPARE(c->signIn(service->issueCode()).status, 200);
        service->setClock({}); // back to the real clock
    }

    void fixedCodeIsReusable()
    {
        service->setFixedCode("123456");
        QCOMPARE(service->fixedCode(), QStringLiteral("123456"));
        auto a = client();
        auto b = client();
        QCOMPARE(a->signIn("123456").status, 200);
        QCOMPARE(b->signIn("123456").status, 200);
        QCOMPARE(a->signIn("123456").status, 200);
        const QByteArray tokenA = a->cookie(LocalService::cookieName());
        const QByteArray tokenB = b->cookie(LocalService::cookieName());
        QVERIFY(!tokenA.isEmpty());
        QVERIFY(tokenA != tokenB); // every sign-in is its own session
        QCOMPARE(a->get("/api/state").status, 200);
        QCOMPARE(b->get("/api/state").status, 200);

        // Expiry does not apply to the fixed code.
        QDateTime now = QDateTime::currentDateTimeUtc().addDays(3);
        service->setClock([&now] { return now; });
        QCOMPARE(client()->signIn("123456").status, 200);
        service->setClock({});

        service->setFixedCode(QString());
        QCOMPARE(client()->signIn("123456").status, 403);
        QCOMPARE(a->get("/api/state").status, 200); // existing sessions stay
    }

    void sessionCookieAttributes()
    {
        const QString code = service->issueCode();
        auto c = client();
        const HttpResult r = c->signIn(code);
        QCOMPARE(r.status, 200);
        const QList<QByteArray> setCookies = r.headerValues("set-cookie");
        QVERIFY(!setCookies.isEmpty());
        const QByteArray header = setCookies.join('\n');
        const QList<QNetworkCookie> cookies = QNetworkCookie::parseCookies(header);
        QCOMPARE(cookies.size(), 1);
        const QNetworkCookie cookie = cookies.first();
        QCOMPARE(cookie.name(), QByteArray("vexa_session"));
        QVERIFY(cookie.isHttpOnly());
        QVERIFY(!cookie.isSecure()); // plain HTTP on loopback: no Secure attribute
        QVERIFY(cookie.isSessionCookie());
        QCOMPARE(cookie.path(), QStringLiteral("/"));
        QVERIFY(cookie.value().size() >= 32);
        QVERIFY(QRegularExpression("^[A-Za-z0-9_-]+$").match(QString::fromLatin1(cookie.value())).hasMatch());
        QVERIFY(header.contains("; Path=/"));
        QVERIFY(header.contains("; HttpOnly"));
        QVERIFY(header.contains("; SameSite=Lax"));
        QVERIFY(!header.contains("Secure"));
        QCOMPARE(c->cookie("vexa_session"), cookie.value());
    }

    // ---- state and chats ----

    void stateHasTheTypesTheClientExpects()
    {
        auto c = signedInClient();
        const HttpResult r = c->get("/api/state");
        QCOMPARE(r.status, 200);
        QVERIFY(r.header("content-type").startsWith("application/json"));
        const QJsonObject body = r.json();
        QCOMPARE(body.value("ok"), QJsonValue(true));
        QVERIFY(body.value("state").isObject());
        const QJsonObject s = body.value("state").toObject();
        const QStringList problems = checkState(s);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));

        // The demo account.
        const QJsonObject user = s.value("user").toObject();
        QVERIFY(isInteger(user.value("user_id")));
        QCOMPARE(user.value("first_name").toString(), QStringLiteral("Алина"));
        QCOMPARE(s.value("model").toString(), QStringLiteral("vexa-fast"));

        const QJsonArray models = s.value("models").toArray();
        QVERIFY(models.size() >= 4);
        bool selectedListed = false, someUnavailable = false;
        for (const QJsonValue &m : models) {
            QVERIFY(m.toObject().value("is_available").isBool());
            selectedListed |= m.toObject().value("id").toString() == s.value("model").toString();
            someUnavailable |= !m.toObject().value("is_available").toBool();
        }
        QVERIFY(selectedListed);
        QVERIFY(someUnavailable);

        const QJsonObject fp = s.value("funpay_limits").toObject();
        QCOMPARE(fp.keys(), (QStringList{"day", "used_day", "used_week", "week"}));

        const QJsonObject imageModels = s.value("image_models").toObject();
        QVERIFY(!imageModels.isEmpty());
        QVERIFY(imageModels.contains(s.value("image_model").toString()));
        QCOMPARE(s.value("image_model_locked"), QJsonValue(false));
        QCOMPARE(s.value("model_locked"), QJsonValue(false));
        QCOMPARE(s.value("image_output_type"), QJsonValue("image"));
        QVERIFY(isInteger(s.value("stats").toObject().value("streak").toObject().value("current_streak")));

        const QJsonObject settings = s.value("settings").toObject();
        QVERIFY(QStringList({"short", "normal", "detailed"}).contains(settings.value("response_length").toString()));
        QVERIFY(QStringList({"precise", "balanced", "creative"}).contains(settings.value("creativity").toString()));
        QVERIFY(!s.value("memories").toArray().isEmpty());
        QVERIFY(!s.value("projects").toArray().isEmpty());
        QVERIFY(!s.value("actions").toArray().isEmpty());
        QVERIFY(s.value("referral").toObject().value("link").toString().startsWith("https://"));
    }

    void stateUsesIntegersNotDoublesOnTheWire()
    {
        // The client refuses 42.0-style numbers for integers only if they are not integral; make
        // sure the service writes plain integers anyway.
        auto c = signedInClient();
        const HttpResult r = c->get("/api/state");
        QVERIFY(r.body.contains(R"("user_id":424242)"));
        QVERIFY(!r.body.contains("e+"));
    }

    void chatsListIsAVexaChatsResponse()
    {
        auto c = signedInClient();
        const HttpResult r = c->get("/api/chats");
        QCOMPARE(r.status, 200);
        const QJsonObject body = r.json();
        const QStringList problems = checkChats(body);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
        QCOMPARE(body.value("ok"), QJsonValue(true));

        const QJsonArray chats = body.value("chats").toArray();
        QVERIFY(chats.size() >= 3);
        QSet<QString> ids;
        bool activeFound = false, someWithoutTime = false, someWithTime = false, someImage = false;
        for (const QJsonValue &v : chats) {
            const QJsonObject chat = v.toObject();
            ids.insert(chat.value("id").toString());
            QVERIFY(hasCyrillic(chat.value("title").toString()));
            activeFound |= chat.value("id") == body.value("active_chat_id");
            const QJsonArray messages = chat.value("messages").toArray();
            QVERIFY(!messages.isEmpty());
            for (const QJsonValue &m : messages) {
                const QJsonObject message = m.toObject();
                QVERIFY(hasCyrillic(message.value("text").toString()));
                if (message.contains("time")) {
                    someWithTime = true;
                    // milliseconds since the epoch: after 2020, not in seconds
                    QVERIFY(message.value("time").toInteger() > 1577836800000LL);
                } else {
                    someWithoutTime = true;
                }
                if (message.value("image_url").isString()) {
                    someImage = true;
                    QVERIFY(message.value("image_url").toString().startsWith("data:image/png;base64,"));
                }
            }
        }
        QCOMPARE(ids.size(), chats.size());
        QVERIFY(activeFound);
        QVERIFY(someWithTime);
        QVERIFY(someWithoutTime);
        QVERIFY(someImage);
    }

    void demoImageIsAValidPng()
    {
        const QString url = ServiceState::demoImageDataUrl(7, 48);
        QVERIFY(url.startsWith("data:image/png;base64,"));
        const auto decoded = QByteArray::fromBase64Encoding(
            url.mid(22).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        QVERIFY(decoded);
        QVERIFY(decoded.decoded.startsWith("\x89PNG\r\n\x1a\n"));
        QVERIFY(ServiceState::demoImageDataUrl(7, 48) == url);     // deterministic
        QVERIFY(ServiceState::demoImageDataUrl(8, 48) != url);     // seed matters
    }

    void repliesFollowTheData()
    {
        auto c = signedInClient();
        ServiceState &st = service->state();
        st.model = "vexa-smart";
        st.limits.usedDay = 99;
        st.firstName = "Ольга";
        Chat chat;
        chat.id = st.newChatId();
        chat.title = "Новый разговор";
        ChatMessage m;
        m.role = "user";
        m.text = "Привет!";
        m.timeMs = 1500;
        chat.messages.append(m);
        st.chats.prepend(chat);
        st.activeChatId = chat.id;

        const QJsonObject s = c->get("/api/state").json().value("state").toObject();
        QCOMPARE(s.value("model").toString(), QStringLiteral("vexa-smart"));
        QCOMPARE(s.value("limits").toObject().value("used_day").toInteger(), 99);
        QCOMPARE(s.value("user").toObject().value("first_name").toString(), QStringLiteral("Ольга"));

        const QJsonObject chats = c->get("/api/chats").json();
        QCOMPARE(chats.value("active_chat_id").toString(), chat.id);
        const QJsonObject first = chats.value("chats").toArray().first().toObject();
        QCOMPARE(first.value("title").toString(), QStringLiteral("Новый разговор"));
        QCOMPARE(first.value("messages").toArray().first().toObject().value("time"),
                 QJsonValue(qint64(1500)));
        QVERIFY(checkChats(chats).isEmpty());

        // The sign-in reply carries the same current state.
        service->setFixedCode("111111");
        const QJsonObject signedIn = client()->signIn("111111").json().value("state").toObject();
        QCOMPARE(signedIn, s);

        // An optional text left empty is left out, not sent as "".
        st.planExpiresLabel.clear();
        const QJsonObject s2 = c->get("/api/state").json().value("state").toObject();
        QVERIFY(!s2.value("plan").toObject().contains("expires_label"));
        QVERIFY(checkState(s2).size() == 1); // only the (now absent) expires_label is reported
    }

    // ---- scripted replies ----

    void scriptedReplies_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("contentType"); // empty: not given
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("expectedContentType");

        QTest::newRow("html 500") << 500 << QByteArray("text/html") << QByteArray("<html><b>oops</b></html>")
                                  << QByteArray("text/html");
        QTest::newRow("not json, default type") << 200 << QByteArray() << QByteArray("not json")
                                                << QByteArray("application/json");
        QTest::newRow("json error 403") << 403 << QByteArray()
                                        << QByteArray(R"({"ok":false,"error":"Нет доступа"})")
                                        << QByteArray("application/json");
        QTest::newRow("ok false 200") << 200 << QByteArray() << QByteArray(R"({"ok":false})")
                                      << QByteArray("application/json");
        QTest::newRow("empty body") << 200 << QByteArray() << QByteArray() << QByteArray("application/json");
        QTest::newRow("401") << 401 << QByteArray() << QByteArray(R"({"ok":false})")
                             << QByteArray("application/json");
        QTest::newRow("unusual status") << 299 << QByteArray("text/plain") << QByteArray("x")
                                        << QByteArray("text/plain");
        QTest::newRow("large body") << 200 << QByteArray() << QByteArray(300000, 'a')
                                    << QByteArray("application/json");
    }
    void scriptedReplies()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, expectedContentType);

        ScriptedReply reply;
        reply.status = status;
        reply.body = body;
        if (!contentType.isEmpty())
            reply.headers.append(qMakePair(QByteArray("Content-Type"), contentType));
        reply.headers.append(qMakePair(QByteArray("X-Scripted"), QByteArray("yes")));
        service->script("GET", "/api/state", reply);

        auto c = client(); // no session: scripts win before the session check
        const HttpResult r = c->get("/api/state?ignored=1");
        QVERIFY(r.finished);
        QCOMPARE(r.status, status);
        QCOMPARE(r.body, body);
        QVERIFY(r.header("content-type").startsWith(expectedContentType));
        QCOMPARE(r.header("content-length").toLongLong(), body.size());
        QCOMPARE(r.header("x-scripted"), QByteArray("yes"));

        // Only that method and path.
        QCOMPARE(c->get("/api/chats").status, 401);
        QCOMPARE(c->send("POST", "/api/state").status, 405);
    }

    void scriptedReplyWithCyrillicHasExactLength()
    {
        ScriptedReply reply;
        reply.body = QStringLiteral(R"({"ok":false,"error":"Сервис перегружен"})").toUtf8();
        reply.headers.append(qMakePair(QByteArray("Content-Length"), QByteArray("3"))); // a wrong length is never sent
        service->script("POST", "/api/web/sync", reply);
        const HttpResult r = client()->signIn("x");
        QCOMPARE(r.body, reply.body);
        QCOMPARE(r.header("content-length").toLongLong(), reply.body.size());
    }

    void scriptedReplyCountsDown()
    {
        ScriptedReply busy;
        busy.status = 503;
        busy.body = R"({"ok":false,"error":"Попробуйте позже."})";
        busy.times = 2;
        service->script("GET", "/api/chats", busy);
        auto c = signedInClient();
        QCOMPARE(c->get("/api/chats").status, 503);
        QCOMPARE(c->get("/api/chats").status, 503);
        const HttpResult real = c->get("/api/chats");
        QCOMPARE(real.status, 200);
        QVERIFY(checkChats(real.json()).isEmpty());
    }

    void scriptedRepliesQueueUp()
    {
        auto c = signedInClient();
        ScriptedReply once;
        once.status = 500;
        once.times = 1;
        ScriptedReply always;
        always.status = 418;
        service->script("GET", "/api/state", once);
        service->script("GET", "/api/state", always);
        QCOMPARE(c->get("/api/state").status, 500);
        QCOMPARE(c->get("/api/state").status, 418);
        QCOMPARE(c->get("/api/state").status, 418);

        // A new script replaces the unlimited one at the end of the queue.
        ScriptedReply created;
        created.status = 201;
        created.times = 1;
        service->script("GET", "/api/state", created);
        QCOMPARE(c->get("/api/state").status, 201);
        QCOMPARE(c->get("/api/state").status, 200);

        // times = 0 answers nothing; clearScripts() removes everything.
        ScriptedReply never;
        never.status = 500;
        never.times = 0;
        service->script("GET", "/api/state", never);
        QCOMPARE(c->get("/api/state").status, 200);
        service->script("GET", "/api/state", always);
        service->script("get", "/api/chats", always); // method case does not matter
        QCOMPARE(c->get("/api/chats").status, 418);
        service->clearScripts();
        QCOMPARE(c->get("/api/state").status, 200);
        QCOMPARE(c->get("/api/chats").status, 200);
    }

    void scriptedReplyForUnknownPath()
    {
        ScriptedReply reply;
        reply.body = R"({"ok":true,"answer":"Скоро будет"})";
        service->script("POST", "/api/future/endpoint", reply);
        const HttpResult r = client()->send("POST", "/api/future/endpoint", "{}");
        QCOMPARE(r.status, 200);
        QCOMPARE(r.json().value("answer").toString(), QStringLiteral("Скоро будет"));
    }

    void scriptedReplyIsDelayed_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::newRow("none") << 0;
        QTest::newRow("300 ms") << 300;
        QTest::newRow("800 ms") << 800;
    }
    void scriptedReplyIsDelayed()
    {
        QFETCH(int, delayMs);
        ScriptedReply reply;
        reply.body = R"({"ok":true})";
        reply.delay = std::chrono::milliseconds(delayMs);
        service->script("GET", "/api/state", reply);
        const HttpResult r = client()->get("/api/state");
        QCOMPARE(r.status, 200);
        QVERIFY2(r.elapsedMs >= delayMs - 15, qPrintable(QString::number(r.elapsedMs)));
        if (delayMs == 0)
            QVERIFY(r.elapsedMs < 1000);
    }

    void otherRequestsAreAnsweredWhileADelayedReplyIsPending()
    {
        ScriptedReply slow;
        slow.body = R"({"ok":true,"slow":true})";
        slow.delay = std::chrono::milliseconds(scaledMs(1500)); // stretched with the bound below
        service->script("GET", "/api/state", slow);
        service->setFixedCode("123456");

        auto c = signedInClient();
        auto other = client();
        QElapsedTimer clock;
        clock.start();
        PendingHttp pendingSlow = c->start("GET", "/api/state");
        QVERIFY(waitUntil([&] { return service->requests("/api/state").size() == 1; }, 3000));

        PendingHttp chats = c->start("GET", "/api/chats");
        PendingHttp refused = other->start("POST", "/api/web/sync", R"({"code":"999999"})");
        PendingHttp signIn = other->start("POST", "/api/web/sync", R"({"code":"123456"})");
        PendingHttp unknown = c->start("GET", "/api/unknown");
        const HttpResult rChats = chats.finish(3000);
        const HttpResult rRefused = refused.finish(3000);
        const HttpResult rSignIn = signIn.finish(3000);
        const HttpResult rUnknown = unknown.finish(3000);
        QVERIFY(!pendingSlow.isFinished());
        QVERIFY2(clock.elapsed() < scaledMs(1400), qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(rChats.status, 200);
        QCOMPARE(rRefused.status, 403);
        QCOMPARE(rSignIn.status, 200);
        QCOMPARE(rUnknown.status, 404);

        const HttpResult rSlow = pendingSlow.finish(5000);
        QCOMPARE(rSlow.status, 200);
        QCOMPARE(rSlow.json().value("slow"), QJsonValue(true));
        QVERIFY(rSlow.elapsedMs >= scaledMs(1500) - 20);
    }

    void delayedRepliesRunSideBySide()
    {
        // Delays are timers, not sleeps: several delayed replies overlap.
        ScriptedReply slow;
        slow.body = R"({"ok":true})";
        slow.delay = std::chrono::milliseconds(scaledMs(600)); // stretched with the bound below
        service->script("GET", "/api/state", slow);
        service->script("GET", "/api/chats", slow);
        auto c = client();
        QElapsedTimer clock;
        clock.start();
        PendingHttp a = c->start("GET", "/api/state");
        PendingHttp b = c->start("GET", "/api/chats");
        PendingHttp d = c->start("GET", "/api/state");
        QCOMPARE(a.finish().status, 200);
        QCOMPARE(b.finish().status, 200);
        QCOMPARE(d.finish().status, 200);
        QVERIFY2(clock.elapsed() < scaledMs(1150), qPrintable(QString::number(clock.elapsed())));
    }

    void delayedEndpointResponse()
    {
        // Endpoints may simulate latency too (ApiResponse::delay), through the same path.
        Router router;
        router.add("GET", "/x", [](const ApiRequest &) {
            ApiResponse r = ApiResponse::ok();
            r.delay = std::chrono::milliseconds(50);
            return r;
        });
        const Router::Match m = router.match("GET", "/x");
        QCOMPARE(int(m.kind), int(Router::Match::Found));
        std::optional<ApiResponse> got;
        (*m.handler)(ApiRequest{}, Reply([&got](const ApiResponse &r) { got = r; }));
        QVERIFY(got);
        QCOMPARE(got->delay, std::chrono::milliseconds(50));
        QCOMPARE(got->header("content-type"), QByteArray("application/json; charset=utf-8"));
        QCOMPARE(QJsonDocument::fromJson(got->body).object().value("ok"), QJsonValue(true));
    }

    void delayedReplyToAClientThatLeft()
    {
        ScriptedReply slow;
        slow.delay = std::chrono::milliseconds(300);
        slow.times = 1;
        service->script("GET", "/", slow);
        auto c = client();
        PendingHttp pending = c->start("GET", "/");
        QVERIFY(waitUntil([&] { return !service->requests("/").isEmpty(); }, 3000));
        pending.abort();
        QVERIFY(pending.finish(2000).finished);
        QTest::qWait(vexa::test::scaledMs(500)); // the reply falls due with the socket gone
        const HttpResult r = client()->get("/");
        QCOMPARE(r.status, 200);
        QVERIFY(r.body.startsWith("Vexa AI"));
    }

    void serviceGoesAwayWithAPendingReply()
    {
        auto temp = std::make_unique<LocalService>();
        QVERIFY(temp->listen());
        ScriptedReply slow;
        slow.delay = std::chrono::milliseconds(2000);
        temp->script("GET", "/api/state", slow);
        HttpClient c(temp->baseUrl());
        PendingHttp pending = c.start("GET", "/api/state");
        QVERIFY(waitUntil([&] { return !temp->requests().isEmpty(); }, 3000));
        temp.reset();
        const HttpResult r = pending.finish(5000);
        QVERIFY(r.finished);
        QVERIFY(r.error != QNetworkReply::NoError);
        QTest::qWait(vexa::test::scaledMs(100));
    }

    // ---- request log ----

    void requestLogRecordsEverything()
    {
        QSignalSpy spy(service.get(), &LocalService::requestReceived);
        QVERIFY(spy.isValid());
        auto c = client();
        const QByteArray body = QStringLiteral(R"({"code":"000000","note":"привет"})").toUtf8();
        const HttpResult r = c->send("POST", "/api/web/sync?x=1&y=%D0%B0&flag", body,
                                     {{"X-Vexa-First", "1"},
                                      {"X-Vexa-Second", "Two Words"},
                                      {"X-Vexa-Third", "3"},
                                      {"Origin", "http://127.0.0.1"}});
        QCOMPARE(r.status, 403);

        const QList<RecordedRequest> all = service->requests();
        QCOMPARE(all.size(), 1);
        const RecordedRequest &rec = all.first();
        QCOMPARE(rec.method, QByteArray("POST"));
        QCOMPARE(rec.path, QStringLiteral("/api/web/sync"));
        QCOMPARE(rec.query, QStringLiteral("x=1&y=%D0%B0&flag"));
        QCOMPARE(rec.body, body);
        for (const auto &h : rec.headers)
            QCOMPARE(h.first, h.first.toLower());
        QCOMPARE(rec.header("x-vexa-first"), QByteArray("1"));
        QCOMPARE(rec.header("x-vexa-second"), QByteArray("Two Words"));
        QCOMPARE(rec.header("origin"), QByteArray("http://127.0.0.1"));
        QVERIFY(rec.header("content-type").startsWith("application/json"));
        QCOMPARE(rec.header("content-length").toLongLong(), body.size());
        QVERIFY(rec.hasHeader("host"));
        QVERIFY(!rec.hasHeader("X-Vexa-First")); // names are stored lower-case only
        QVERIFY(!rec.hasHeader("cookie"));
        QVERIFY(rec.header("missing").isNull());

        // Arrival order.
        QStringList names;
        for (const auto &h : rec.headers)
            names << QString::fromLatin1(h.first);
        QVERIFY(names.indexOf("x-vexa-first") < names.indexOf("x-vexa-second"));
        QVERIFY(names.indexOf("x-vexa-second") < names.indexOf("x-vexa-third"));

        QCOMPARE(spy.size(), 1);
        const auto emitted = spy.at(0).at(0).value<RecordedRequest>();
        QCOMPARE(emitted.path, rec.path);
        QCOMPARE(emitted.body, rec.body);
    }

    void requestLogFiltersAndClears()
    {
        auto c = signedInClient();
        c->get("/api/state");
        c->get("/api/chats");
        c->get("/api/state?a=b");
        c->get("/api/nowhere");
        QCOMPARE(service->requests().size(), 4);
        const QList<RecordedRequest> state = service->requests("/api/state");
        QCOMPARE(state.size(), 2);
        QCOMPARE(state.at(0).query, QString());
        QCOMPARE(state.at(1).query, QStringLiteral("a=b"));
        QCOMPARE(state.at(0).method, QByteArray("GET"));
        QVERIFY(state.at(0).body.isEmpty());
        QVERIFY(!state.at(0).hasHeader("content-type"));
        QVERIFY(state.at(0).header("cookie").contains("vexa_session="));
        QCOMPARE(service->requests("/api/nowhere").size(), 1); // unknown paths are logged too
        service->clearRequests();
        QVERIFY(service->requests().isEmpty());
        c->get("/api/chats");
        QCOMPARE(service->requests().size(), 1);
    }

    void scriptCanBeSetWhileTheRequestArrives()
    {
        // requestReceived comes before the reply is chosen.
        connect(service.get(), &LocalService::requestReceived, this,
                [this](const RecordedRequest &request) {
                    if (request.path == "/api/chats") {
                        ScriptedReply r;
                        r.status = 502;
                        r.times = 1;
                        service->script("GET", "/api/chats", r);
                    }
                });
        auto c = signedInClient();
        QCOMPARE(c->get("/api/chats").status, 502);
    }

    // ---- raw HTTP ----

    void rawHeadersKeepArrivalOrderAndRepeats()
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, service->port());
        QVERIFY(socket.waitForConnected(vexa::test::scaledMs(3000)));
        QByteArray buffer;

        socket.write("POST /api/anything?q=%20x HTTP/1.1\r\n"
                     "Host: 127.0.0.1\r\n"
                     "X-B: 2\r\n"
                     "X-A:   1  \r\n"
                     "x-b: 3\r\n"
                     "Content-Length: 5\r\n"
                     "\r\n"
                     "hello");
        const RawResponse first = readRawResponse(socket, buffer);
        QVERIFY(first.complete);
        QVERIFY(first.statusLine.startsWith("HTTP/1.1 404"));

        QCOMPARE(service->requests().size(), 1);
        const RecordedRequest rec = service->requests().first();
        const QList<QPair<QByteArray, QByteArray>> expected = {
            {"host", "127.0.0.1"}, {"x-b", "2"}, {"x-a", "1"}, {"x-b", "3"}, {"content-length", "5"}};
        QCOMPARE(rec.headers, expected);
        QCOMPARE(rec.body, QByteArray("hello"));
        QCOMPARE(rec.path, QStringLiteral("/api/anything"));
        QCOMPARE(rec.query, QStringLiteral("q=%20x"));

        // A second request on the same connection, sent in pieces.
        socket.write("GET /api/state HTTP/1.1\r\nHo");
        socket.flush();
        QTest::qWait(vexa::test::scaledMs(50));
        socket.write("st: 127.0.0.1\r\nX-Z: 9\r\n\r\n");
        const RawResponse second = readRawResponse(socket, buffer);
        QVERIFY(second.complete);
        QVERIFY(second.statusLine.startsWith("HTTP/1.1 401"));
        // Exact Content-Length for a Cyrillic JSON body.
        QCOMPARE(second.declaredLength, qint64(second.body.size()));
        QCOMPARE(QJsonDocument::fromJson(second.body).object().value("error").toString(),
                 kSignInRequired);
        const RecordedRequest rec2 = service->requests().last();
        const QList<QPair<QByteArray, QByteArray>> expected2 = {{"host", "127.0.0.1"}, {"x-z", "9"}};
        QCOMPARE(rec2.headers, expected2);
    }

    void everyReplyHasAnExactContentLength_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        const QByteArray token = "vexa_session=";
        QTest::newRow("state signed out") << QByteArray("GET /api/state HTTP/1.1\r\nHost: x\r\n\r\n") << 401;
        QTest::newRow("unknown") << QByteArray("GET /api/zzz HTTP/1.1\r\nHost: x\r\n\r\n") << 404;
        QTest::newRow("wrong method") << QByteArray("PUT /api/state HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n") << 405;
        QTest::newRow("refused code")
            << QByteArray("POST /api/web/sync HTTP/1.1\r\nHost: x\r\nContent-Length: 14\r\n\r\n{\"code\":\"000\"}") << 403;
        QTest::newRow("state") << QByteArray("GET /api/state HTTP/1.1\r\nHost: x\r\nCookie: SESSION\r\n\r\n") << 200;
        QTest::newRow("chats") << QByteArray("GET /api/chats HTTP/1.1\r\nHost: x\r\nCookie: SESSION\r\n\r\n") << 200;
        QTest::newRow("root") << QByteArray("GET / HTTP/1.1\r\nHost: x\r\n\r\n") << 200;
    }
    void everyReplyHasAnExactContentLength()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        request.replace("SESSION", "vexa_session=" + service->createSession());
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, service->port());
        QVERIFY(socket.waitForConnected(vexa::test::scaledMs(3000)));
        QByteArray buffer;
        for (int round = 0; round < 2; ++round) { // and the connection stays usable
            socket.write(request);
            const RawResponse r = readRawResponse(socket, buffer);
            QVERIFY(r.complete);
            QVERIFY2(r.statusLine.startsWith("HTTP/1.1 " + QByteArray::number(status)),
                     r.statusLine.constData());
            QCOMPARE(r.declaredLength, qint64(r.body.size()));
            QVERIFY(buffer.isEmpty()); // nothing beyond the declared length
        }
    }

    // ---- the router on its own ----

    void routerMatchesPatterns_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QString>("params");

        const int found = Router::Match::Found;
        const int unknown = Router::Match::UnknownPath;
        const int wrong = Router::Match::WrongMethod;
        QTest::newRow("exact") << QByteArray("GET") << "/api/workspace/answers" << found << "list" << "";
        QTest::newRow("int param") << QByteArray("DELETE") << "/api/workspace/answers/17" << found << "delete"
                                   << "id=17";
        QTest::newRow("int param refuses letters") << QByteArray("DELETE") << "/api/workspace/answers/x7"
                                                   << unknown << "" << "";
        QTest::newRow("int param refuses sign") << QByteArray("DELETE") << "/api/workspace/answers/-7"
                                                << unknown << "" << "";
        QTest::newRow("exact wins over pattern") << QByteArray("DELETE") << "/api/workspace/answers/all"
                                                 << found << "deleteAll" << "";
        QTest::newRow("string param, decoded") << QByteArray("POST")
                                               << "/api/workspace/recipes/%D0%B0%2Fb/favorite" << found
                                               << "favorite" << "id=а/b";
        QTest::newRow("two params") << QByteArray("GET") << "/api/community/5/posts/abc" << found << "post"
                                    << "id=5,post=abc";
        QTest::newRow("empty segment is no param") << QByteArray("POST") << "/api/workspace/recipes//favorite"
                                                   << unknown << "" << "";
        QTest::newRow("method mismatch") << QByteArray("POST") << "/api/workspace/answers/17" << wrong << ""
                                         << "";
        QTest::newRow("method case") << QByteArray("get") << "/api/workspace/answers" << found << "list" << "";
        QTest::newRow("longer path") << QByteArray("GET") << "/api/workspace/answers/17/x" << unknown << ""
                                     << "";
    }
    void routerMatchesPatterns()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(int, kind);
        QFETCH(QString, handler);
        QFETCH(QString, params);

        Router router;
        QString called;
        const auto named = [&called](const QString &name) {
            return [&called, name](const ApiRequest &) {
                called = name;
                return ApiResponse::ok();
            };
        };
        router.add("GET", "/api/workspace/answers", named("list"));
        router.add("DELETE", "/api/workspace/answers/{id:int}", named("delete"));
        router.add("DELETE", "/api/workspace/answers/all", named("deleteAll"));
        router.add("POST", "/api/workspace/recipes/{id}/favorite", named("favorite"));
        router.add("GET", "/api/community/{id:int}/posts/{post}", named("post"));

        const Router::Match m = router.match(method, path);
        QCOMPARE(int(m.kind), kind);
        if (m.kind == Router::Match::WrongMethod)
            QCOMPARE(m.allowedMethods, QStringList{"DELETE"});
        if (m.kind != Router::Match::Found)
            return;
        (*m.handler)(ApiRequest{}, Reply([](const ApiResponse &) {}));
        QCOMPARE(called, handler);
        QStringList got;
        for (auto it = m.params.begin(); it != m.params.end(); ++it)
            got << it.key() + "=" + it.value();
        got.sort();
        QCOMPARE(got.join(","), params);
    }

    void replyIsSentOnce()
    {
        int sent = 0;
        Reply reply([&sent](const ApiResponse &) { ++sent; });
        Reply copy = reply;
        QVERIFY(!copy.isSent());
        reply.send(ApiResponse::ok());
        copy.send(ApiResponse::error(500, "x"));
        QCOMPARE(sent, 1);
        QVERIFY(copy.isSent());
    }
};

QTEST_GUILESS_MAIN(TestService)
#include "test_service.moc"
