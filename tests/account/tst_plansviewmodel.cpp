// The plans screen's view-model against the in-process local service: the offers and the
// current tariff, a failed plans reply, purchase addresses, and promo codes — the notice order
// (the confirmation outlives the refresh), what happens to the typed code, and one redemption
// at a time.

#include "awaittask.h"
#include "profilefixture.h"
#include "plansviewmodel.h"
#include "servicestate.h"

#include <QSignalSpy>
#include <QtTest>

using namespace vexa;
using namespace vexa::test;

class PlansViewModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void offersAndCurrentTariff();
    void failedPlansReply_data();
    void failedPlansReply();
    void buyOpensOnlyHttps();
    void redeem_data();
    void redeem();
    void redeemOnceAtATime();
    void codeTypedDuringRedemptionStays();

private:
    std::unique_ptr<PlansViewModel> makeView()
    {
        auto view = std::make_unique<PlansViewModel>(m_platform);
        view->setClient(m_ops->client.get());
        return view;
    }
    bool loaded(PlansViewModel &view)
    {
        view.load();
        return waitUntil([&] { return !view.loading(); });
    }

    std::unique_ptr<OpsFixture> m_ops;
    std::shared_ptr<FakeProfilePlatform> m_platform;
};

void PlansViewModelTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void PlansViewModelTest::init()
{
    m_ops = std::make_unique<OpsFixture>();
    QVERIFY(m_ops->restore());
    m_platform = std::make_shared<FakeProfilePlatform>();
}

void PlansViewModelTest::cleanup()
{
    m_ops.reset();
    m_platform.reset();
}

void PlansViewModelTest::offersAndCurrentTariff()
{
    auto view = makeView();
    QCOMPARE(view->currentPlanLine(), QStringLiteral("Текущий тариф: Vexa Pro"));
    QVERIFY(loaded(*view));
    QCOMPARE(view->offers().size(), 3);
    QCOMPARE(view->offersMessage(), QString());
    const QVariantList offers = view->property("offers").toList();
    QStringList shown;
    for (const QVariant &offer : offers) {
        const QVariantMap o = offer.toMap();
        shown << o.value("title").toString() + (o.value("current").toBool() ? "*" : "")
                     + (o.value("canBuy").toBool() ? "+" : "");
    }
    // The free tariff has nothing to buy; the current one is marked and not offered for sale.
    QCOMPARE(shown, (QStringList{"Free", "Vexa Pro*", "Vexa Ultra+"}));
    QCOMPARE(offers.at(0).toMap().value("limitLine").toString(), QStringLiteral("До 20 запросов в день"));
    QVERIFY(!offers.at(2).toMap().value("features").toStringList().isEmpty());
}

void PlansViewModelTest::failedPlansReply_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("offers");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("notice");

    QTest::newRow("ok false with the service's reason")
        << 200 << QByteArray(R"({"ok":false,"error":"Тарифы временно недоступны."})") << 0
        << "Тарифы временно недоступны." << "Тарифы временно недоступны.";
    QTest::newRow("ok false that still lists plans shows them")
        << 200 << QByteArray(R"({"ok":false,"plans":[{"id":"a","title":"A"}]})") << 1 << "" << "";
    QTest::newRow("ok without plans: nothing on offer")
        << 200 << QByteArray(R"({"ok":true})") << 0 << "Сервис пока не предлагает тарифов." << "";
    QTest::newRow("server error")
        << 503 << QByteArray(R"({"ok":false,"error":"Сервис обновляется."})") << 0
        << "Сервис обновляется." << "Сервис обновляется.";
    QTest::newRow("unreadable reply")
        << 200 << QByteArray("<html>") << 0
        << "Не удалось прочитать ответ сервера. Повторите попытку."
        << "Не удалось прочитать ответ сервера. Повторите попытку.";
}

void PlansViewModelTest::failedPlansReply()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    m_ops->script("GET", QStringLiteral("/api/plans"), status, body);
    auto view = makeView();
    QVERIFY(loaded(*view));
    QTEST(int(view->offers().size()), "offers");
    QTEST(view->offersMessage(), "message");
    QTEST(m_ops->client->noticeText(), "notice");
}

void PlansViewModelTest::buyOpensOnlyHttps()
{
    m_ops->script("GET", QStringLiteral("/api/plans"), 200,
                  R"({"ok":true,"plans":[
                      {"id":"a","title":"A","bot_buy_url":"https://t.me/VexaAIBot?start=buy_a"},
                      {"id":"b","title":"B","bot_buy_url":"http://t.me/VexaAIBot?start=buy_b"},
                      {"id":"c","title":"C","bot_buy_url":"file:///etc/passwd"},
                      {"id":"d","title":"D","is_current":true,"bot_buy_url":"https://t.me/d"}]})");
    auto view = makeView();
    QVERIFY(loaded(*view));
    for (int index = -1; index <= 4; ++index)
        view->buy(index);
    QCOMPARE(m_platform->opened, QList<QUrl>{QUrl(QStringLiteral("https://t.me/VexaAIBot?start=buy_a"))});
}

void PlansViewModelTest::redeem_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("planLine");

    QTest::newRow("works: the service's message after the refresh")
        << "vexa2026" << true << "Промокод VEXA2026 активирован: +50 бонусных запросов."
        << "Текущий тариф: Vexa Pro";
    QTest::newRow("sent with its spaces; the tariff follows")
        << "  ultra7 " << true << "Промокод ULTRA7 активирован: тариф Vexa Ultra на 7 дней."
        << "Текущий тариф: Vexa Ultra";
    QTest::newRow("already used: the service's text, the code stays")
        << "welcome" << false << "Промокод «WELCOME» уже активирован на вашем аккаунте."
        << "Текущий тариф: Vexa Pro";
    QTest::newRow("unknown")
        << "nope" << false << "Промокод «NOPE» не найден. Проверьте, правильно ли он введён."
        << "Текущий тариф: Vexa Pro";
    QTest::newRow("expired")
        << "newyear2025" << false << "Срок действия промокода «NEWYEAR2025» истёк."
        << "Текущий тариф: Vexa Pro";
}

void PlansViewModelTest::redeem()
{
    QFETCH(QString, typed);
    QFETCH(bool, succeeds);
    auto view = makeView();
    QSignalSpy planLine(view.get(), &PlansViewModel::currentPlanChanged);
    NoticeLog log(m_ops->client.get());
    m_ops->client->showNotice(QStringLiteral("старое")); // a refresh clears what was there
    const qint64 bonusBefore = m_ops->service.state().limits.bonusRequests;

    view->setPromoCode(typed);
    QCOMPARE(view->promoCode(), typed.toUpper());
    QVERIFY(view->canRedeem());
    m_ops->service.clearRequests();
    view->redeem();
    QVERIFY(view->redeeming());
    QVERIFY(!view->canRedeem());
    QVERIFY(waitUntil([&] { return !view->redeeming(); }));

    QCOMPARE(m_ops->lastBody(QStringLiteral("/api/promo/redeem")),
             QJsonObject({{QStringLiteral("code"), typed.toUpper()}}));
    QFETCH(QString, notice);
    QCOMPARE(m_ops->client->noticeText(), notice);
    QTEST(view->currentPlanLine(), "planLine");
    if (succeeds) {
        // Refreshed after the redemption, and the confirmation came after the refresh's clearing.
        const auto requests = m_ops->service.requests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).path, QStringLiteral("/api/promo/redeem"));
        QCOMPARE(requests.at(1).path, QStringLiteral("/api/state"));
        QCOMPARE(log.notices, (QStringList{QStringLiteral("старое"), QStringLiteral("∅"), notice}));
        QCOMPARE(view->promoCode(), QString());
        QVERIFY(!view->canRedeem());
        QVERIFY(planLine.size() > 0);
        QVERIFY(m_ops->client->state()->limits->bonusRequests.value_or(0) >= bonusBefore);
    } else {
        QCOMPARE(m_ops->service.requests().size(), 1); // no refresh after a refusal
        QCOMPARE(log.notices, (QStringList{QStringLiteral("старое"), notice}));
        QCOMPARE(view->promoCode(), typed.toUpper());
        QVERIFY(view->canRedeem());
    }
}

void PlansViewModelTest::redeemOnceAtATime()
{
    m_ops->script("POST", QStringLiteral("/api/promo/redeem"), 200,
                  R"({"ok":true,"message":"Активировано."})", 200, 1);
    auto view = makeView();
    view->setPromoCode(QStringLiteral("VEXA2026"));
    view->redeem();
    view->redeem(); // a second press while the first runs
    QVERIFY(waitUntil([&] { return !view->redeeming(); }));
    QCOMPARE(m_ops->count(QStringLiteral("/api/promo/redeem")), 1);
    QCOMPARE(m_ops->client->noticeText(), QStringLiteral("Активировано."));

    // Spaces only: nothing to send.
    view->setPromoCode(QStringLiteral("   "));
    QVERIFY(!view->canRedeem());
    view->redeem();
    QTest::qWait(vexa::test::scaledMs(50));
    QCOMPARE(m_ops->count(QStringLiteral("/api/promo/redeem")), 1);
}

void PlansViewModelTest::codeTypedDuringRedemptionStays()
{
    m_ops->script("POST", QStringLiteral("/api/promo/redeem"), 200, R"({"ok":true})", 150, 1);
    auto view = makeView();
    view->setPromoCode(QStringLiteral("VEXA2026"));
    view->redeem();
    view->setPromoCode(QStringLiteral("artweek"));
    QVERIFY(waitUntil([&] { return !view->redeeming(); }));
    QCOMPARE(view->promoCode(), QStringLiteral("ARTWEEK"));
    QCOMPARE(m_ops->client->noticeText(), QStringLiteral("Промокод активирован."));
}

QTEST_MAIN(PlansViewModelTest)

#include "tst_plansviewmodel.moc"
