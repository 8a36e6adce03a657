// The local service's account routes over real HTTP: the daily bonus once, the tariff offers
// with the account's own marked, and promo codes that work once, are already used, unknown or
// expired, each with its own answer. Every change shows in /api/state afterwards.

#include "httpclient.h"
#include "localservice.h"
#include "servicestate.h"

#include <QJsonArray>
#include <QtTest>

using namespace vexa::service;
using namespace vexa::test;

class AccountRoutesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void routesNeedASession_data();
    void routesNeedASession();
    void bonusOncePerDay();
    void plansMarkTheAccountsTariff();
    void promoCodes_data();
    void promoCodes();
    void promoCodeWorksOnceInAnySpelling();
    void promoRequestMustNameACode_data();
    void promoRequestMustNameACode();
    void ultraCodeChangesTheTariff();
    void downloadsPageIsPublic();

private:
    std::unique_ptr<HttpClient> signedIn()
    {
        auto client = std::make_unique<HttpClient>(m_service->baseUrl());
        client->setCookie(LocalService::cookieName(), m_service->createSession());
        return client;
    }
    QJsonObject state(HttpClient &client)
    {
        return client.get(QStringLiteral("/api/state")).json().value(QStringLiteral("state")).toObject();
    }

    std::unique_ptr<LocalService> m_service;
};

void AccountRoutesTest::init()
{
    m_service = std::make_unique<LocalService>();
    QVERIFY(m_service->listen());
}

void AccountRoutesTest::cleanup()
{
    m_service.reset();
}

void AccountRoutesTest::routesNeedASession_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::newRow("bonus") << QByteArray("POST") << "/api/bonus/claim";
    QTest::newRow("plans") << QByteArray("GET") << "/api/plans";
    QTest::newRow("promo") << QByteArray("POST") << "/api/promo/redeem";
}

void AccountRoutesTest::routesNeedASession()
{
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    HttpClient anonymous(m_service->baseUrl());
    const HttpResult reply = anonymous.send(method, path, method == "POST" ? QByteArray("{}") : QByteArray());
    QCOMPARE(reply.status, 401);
    QCOMPARE(reply.json().value(QStringLiteral("ok")), QJsonValue(false));
}

void AccountRoutesTest::bonusOncePerDay()
{
    auto client = signedIn();
    const QJsonObject before = state(*client);
    QCOMPARE(before.value("daily_bonus").toObject().value("claimed"), QJsonValue(false));
    const qint64 bonus = before.value("limits").toObject().value("bonus_requests").toInteger();
    const qint64 amount = before.value("daily_bonus").toObject().value("amount").toInteger();
    QVERIFY(amount > 0);

    const HttpResult first = client->postJson(QStringLiteral("/api/bonus/claim"), {});
    QCOMPARE(first.status, 200);
    QCOMPARE(first.json().value("ok"), QJsonValue(true));
    QVERIFY(first.json().value("message").toString().contains(QString::number(amount)));
    const QJsonObject replied = first.json().value("state").toObject();
    QCOMPARE(replied.value("daily_bonus").toObject().value("claimed"), QJsonValue(true));
    QCOMPARE(replied.value("limits").toObject().value("bonus_requests").toInteger(), bonus + amount);

    const HttpResult again = client->postJson(QStringLiteral("/api/bonus/claim"), {});
    QCOMPARE(again.status, 409);
    QCOMPARE(again.json().value("ok"), QJsonValue(false));
    QVERIFY(!again.json().value("error").toString().isEmpty());

    const QJsonObject after = state(*client);
    QCOMPARE(after.value("daily_bonus").toObject().value("claimed"), QJsonValue(true));
    QCOMPARE(after.value("limits").toObject().value("bonus_requests").toInteger(), bonus + amount);
}

void AccountRoutesTest::plansMarkTheAccountsTariff()
{
    auto client = signedIn();
    for (const QString &current : {QStringLiteral("pro"), QStringLiteral("free")}) {
        m_service->state().planId = current;
        const HttpResult reply = client->get(QStringLiteral("/api/plans"));
        QCOMPARE(reply.status, 200);
        QCOMPARE(reply.json().value("ok"), QJsonValue(true));
        const QJsonArray plans = reply.json().value("plans").toArray();
        QVERIFY(plans.size() >= 2);
        int marked = 0;
        for (const QJsonValue &value : plans) {
            const QJsonObject plan = value.toObject();
            QVERIFY(!plan.value("title").toString().isEmpty());
            QVERIFY(plan.value("daily_limit").isDouble());
            QVERIFY(!plan.value("features").toArray().isEmpty());
            const bool isCurrent = plan.value("is_current").toBool();
            QCOMPARE(isCurrent, plan.value("id").toString() == current);
            marked += isCurrent;
            if (plan.contains("bot_buy_url"))
                QVERIFY(plan.value("bot_buy_url").toString().startsWith("https://"));
        }
        QCOMPARE(marked, 1);
    }
}

void AccountRoutesTest::promoCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("bonusGained");

    QTest::newRow("works once") << "VEXA2026" << 200
                                << "Промокод VEXA2026 активирован: +50 бонусных запросов." << qint64(50);
    QTest::newRow("already used on this account") << "WELCOME" << 409
                                                  << "Промокод «WELCOME» уже активирован на вашем аккаунте."
                                                  << qint64(0);
    QTest::newRow("unknown") << "NOPE" << 404
                             << "Промокод «NOPE» не найден. Проверьте, правильно ли он введён." << qint64(0);
    QTest::newRow("expired") << "NEWYEAR2025" << 410 << "Срок действия промокода «NEWYEAR2025» истёк."
                             << qint64(0);
}

void AccountRoutesTest::promoCodes()
{
    QFETCH(QString, code);
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(qint64, bonusGained);
    auto client = signedIn();
    const qint64 before = state(*client).value("limits").toObject().value("bonus_requests").toInteger();

    const HttpResult reply = client->postJson(QStringLiteral("/api/promo/redeem"), {{"code", code}});
    QCOMPARE(reply.status, status);
    QCOMPARE(reply.json().value("ok"), QJsonValue(status == 200));
    QCOMPARE(reply.json().value(status == 200 ? "message" : "error").toString(), text);
    QCOMPARE(reply.json().contains("state"), status == 200);

    const qint64 after = state(*client).value("limits").toObject().value("bonus_requests").toInteger();
    QCOMPARE(after - before, bonusGained);
}

void AccountRoutesTest::promoCodeWorksOnceInAnySpelling()
{
    auto client = signedIn();
    QCOMPARE(client->postJson(QStringLiteral("/api/promo/redeem"), {{"code", "  artweek "}}).status, 200);
    const HttpResult again = client->postJson(QStringLiteral("/api/promo/redeem"), {{"code", "ARTWEEK"}});
    QCOMPARE(again.status, 409);
    QCOMPARE(state(*client).value("limits").toObject().value("image_credits").toInteger(),
             m_service->state().limits.imageCredits);
}

void AccountRoutesTest::promoRequestMustNameACode_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("not JSON") << QByteArray("code=VEXA2026");
    QTest::newRow("no code") << QByteArray("{}");
    QTest::newRow("code not a string") << QByteArray(R"({"code":2026})");
    QTest::newRow("blank code") << QByteArray(R"({"code":"   "})");
}

void AccountRoutesTest::promoRequestMustNameACode()
{
    QFETCH(QByteArray, body);
    auto client = signedIn();
    const HttpResult reply = client->send("POST", QStringLiteral("/api/promo/redeem"), body);
    QCOMPARE(reply.status, 400);
    QCOMPARE(reply.json().value("ok"), QJsonValue(false));
    QVERIFY(!reply.json().value("error").toString().isEmpty());
}

void AccountRoutesTest::ultraCodeChangesTheTariff()
{
    auto client = signedIn();
    QCOMPARE(client->postJson(QStringLiteral("/api/promo/redeem"), {{"code", "ULTRA7"}}).status, 200);
    const QJsonObject plan = state(*client).value("plan").toObject();
    QCOMPARE(plan.value("id").toString(), QStringLiteral("ultra"));
    QCOMPARE(plan.value("title").toString(), QStringLiteral("Vexa Ultra"));
    QVERIFY(plan.value("expires_label").toString().startsWith(QStringLiteral("до ")));
    // The offers follow the account's new tariff.
    const QJsonArray plans = client->get(QStringLiteral("/api/plans")).json().value("plans").toArray();
    for (const QJsonValue &value : plans)
        QCOMPARE(value.toObject().value("is_current").toBool(),
                 value.toObject().value("id").toString() == QStringLiteral("ultra"));
}

void AccountRoutesTest::downloadsPageIsPublic()
{
    HttpClient anonymous(m_service->baseUrl());
    const HttpResult page = anonymous.get(QStringLiteral("/downloads.html"));
    QCOMPARE(page.status, 200);
    QVERIFY(page.header("content-type").startsWith("text/html"));
}

QTEST_GUILESS_MAIN(AccountRoutesTest)

#include "tst_accountroutes.moc"
