// What the profile and plans screens derive from the service's data, row by row: every limit
// text, the provider rows, the account lines, the bonus button, the notices' fallbacks, the
// promo field and which purchase addresses may be opened.

#include "plansrules.h"
#include "profilerules.h"

#include <QtTest>

using namespace vexa;
using namespace vexa::account;

namespace {

std::optional<VexaState> stateFrom(const QByteArray &json)
{
    if (json.isEmpty())
        return std::nullopt;
    auto decoded = records::decodeJson<VexaState>(json);
    if (!decoded)
        qFatal("test state does not decode: %s", json.constData());
    return std::move(decoded).value();
}

QString joined(const QList<MetricRow> &rows)
{
    QStringList parts;
    for (const MetricRow &row : rows)
        parts << row.title + QStringLiteral(" = ") + row.value;
    return parts.join(QStringLiteral(" | "));
}

VexaPlanOffer offerFrom(const QByteArray &json)
{
    auto decoded = records::decodeJson<VexaPlanOffer>(json);
    if (!decoded)
        qFatal("test offer does not decode: %s", json.constData());
    return std::move(decoded).value();
}

} // namespace

class AccountRulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void limitRows_data();
    void limitRows();
    void accountLines_data();
    void accountLines();
    void bonusButton_data();
    void bonusButton();
    void notices_data();
    void notices();
    void answerSettingsFromState_data();
    void answerSettingsFromState();
    void voiceLanguage_data();
    void voiceLanguage();
    void promoField_data();
    void promoField();
    void buyAddress_data();
    void buyAddress();
    void plansFailure_data();
    void plansFailure();
    void downloadsAddress_data();
    void downloadsAddress();
};

void AccountRulesTest::limitRows_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QString>("rows");

    const QString plain4 = QStringLiteral("Бонусные запросы = 0 | Кредиты изображений = 0");
    QTest::newRow("no state at all")
        << QByteArray() << QStringLiteral("Запросов сегодня = 0 / — | Запросов в неделю = — | ") + plain4;
    QTest::newRow("a state without limits")
        << QByteArray("{}") << QStringLiteral("Запросов сегодня = 0 / — | Запросов в неделю = — | ") + plain4;
    QTest::newRow("negative day allowance is unlimited")
        << QByteArray(R"({"limits":{"day":-1,"used_day":3}})")
        << QStringLiteral("Запросов сегодня = 3 / ∞ | Запросов в неделю = — | ") + plain4;
    QTest::newRow("numbers as sent, zero week shown as 0")
        << QByteArray(R"({"limits":{"day":200,"week":0,"used_day":12,"bonus_requests":5,"image_credits":30}})")
        << QStringLiteral("Запросов сегодня = 12 / 200 | Запросов в неделю = 0 | "
                          "Бонусные запросы = 5 | Кредиты изображений = 30");
    QTest::newRow("negative week is unlimited")
        << QByteArray(R"({"limits":{"week":-5}})")
        << QStringLiteral("Запросов сегодня = 0 / — | Запросов в неделю = ∞ | ") + plain4;
    QTest::newRow("provider day 0 hides both provider rows even with a week")
        << QByteArray(R"({"funpay_limits":{"day":0,"week":50,"used_day":0,"used_week":4}})")
        << QStringLiteral("Запросов сегодня = 0 / — | Запросов в неделю = — | ") + plain4;
    QTest::newRow("provider day 10, week 0: both rows, the second ending in 0")
        << QByteArray(R"({"funpay_limits":{"day":10,"week":0,"used_day":2,"used_week":7}})")
        << QStringLiteral("Запросов сегодня = 0 / — | Запросов в неделю = — | ") + plain4
               + QStringLiteral(" | Модели FP · 24 часа = 2 / 10 | Модели FP · 7 дней = 7 / 0");
    QTest::newRow("provider allowances unlimited")
        << QByteArray(R"({"funpay_limits":{"day":-1,"week":-1,"used_day":1,"used_week":9}})")
        << QStringLiteral("Запросов сегодня = 0 / — | Запросов в неделю = — | ") + plain4
               + QStringLiteral(" | Модели FP · 24 часа = 1 / ∞ | Модели FP · 7 дней = 9 / ∞");
}

void AccountRulesTest::limitRows()
{
    QFETCH(QByteArray, state);
    QFETCH(QString, rows);
    QCOMPARE(joined(account::limitRows(stateFrom(state))), rows);
}

void AccountRulesTest::accountLines_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("username");
    QTest::addColumn<QString>("tariff");
    QTest::addColumn<QString>("currentPlan");
    QTest::addColumn<bool>("hasExpiry");
    QTest::addColumn<QString>("expiry");
    QTest::addColumn<QString>("activity");

    const QString noActivity = QStringLiteral("Сообщения = 0 | Изображения = 0 | Серия дней = 0");
    QTest::newRow("no state")
        << QByteArray() << "Пользователь" << "" << "Тариф: Free" << "Текущий тариф: Free"
        << false << "" << noActivity;
    QTest::newRow("user without a first name, plan without a title")
        << QByteArray(R"({"user":{"user_id":1},"plan":{"id":"pro"}})")
        << "Пользователь" << "" << "Тариф: Free" << "Текущий тариф: Free" << false << "" << noActivity;
    QTest::newRow("empty first name and user name stay empty, the @ line hides")
        << QByteArray(R"({"user":{"first_name":"","username":""}})")
        << "" << "" << "Тариф: Free" << "Текущий тариф: Free" << false << "" << noActivity;
    QTest::newRow("everything present")
        << QByteArray(R"({"user":{"first_name":"Алина","username":"alina_vexa"},
                         "plan":{"title":"Vexa Pro","expires_label":"до 01.01.2027"},
                         "stats":{"messages":1284,"images":37,"streak":{"current_streak":6}}})")
        << "Алина" << "@alina_vexa" << "Тариф: Vexa Pro" << "Текущий тариф: Vexa Pro" << true
        << "до 01.01.2027" << QStringLiteral("Сообщения = 1284 | Изображения = 37 | Серия дней = 6");
    QTest::newRow("an empty expiry text is still a row")
        << QByteArray(R"({"plan":{"title":"Free","expires_label":""}})")
        << "Пользователь" << "" << "Тариф: Free" << "Текущий тариф: Free" << true << "" << noActivity;
}

void AccountRulesTest::accountLines()
{
    QFETCH(QByteArray, state);
    const auto decoded = stateFrom(state);
    QTEST(displayName(decoded), "name");
    QTEST(usernameLine(decoded), "username");
    QTEST(tariffLine(decoded), "tariff");
    QTEST(currentPlanLine(decoded), "currentPlan");
    QTEST(expiresLabel(decoded).has_value(), "hasExpiry");
    QTEST(expiresLabel(decoded).value_or(QString()), "expiry");
    QTEST(joined(activityRows(decoded)), "activity");
}

void AccountRulesTest::bonusButton_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<bool>("claimed");

    QTest::newRow("no state") << QByteArray() << false;
    QTest::newRow("no daily bonus") << QByteArray("{}") << false;
    QTest::newRow("claimed absent") << QByteArray(R"({"daily_bonus":{"amount":5}})") << false;
    QTest::newRow("claimed false") << QByteArray(R"({"daily_bonus":{"claimed":false}})") << false;
    QTest::newRow("claimed true") << QByteArray(R"({"daily_bonus":{"claimed":true}})") << true;
}

void AccountRulesTest::bonusButton()
{
    QFETCH(QByteArray, state);
    QTEST(bonusClaimedToday(stateFrom(state)), "claimed");
}

void AccountRulesTest::notices_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("claim");
    QTest::addColumn<QString>("redeem");

    QTest::newRow("no message: the fallbacks")
        << QByteArray(R"({"ok":true})") << "Бонус получен." << "Промокод активирован.";
    QTest::newRow("the service's message")
        << QByteArray(R"({"ok":true,"message":"+5 запросов"})") << "+5 запросов" << "+5 запросов";
}

void AccountRulesTest::notices()
{
    QFETCH(QByteArray, reply);
    const auto decoded = records::decodeJson<VexaResponse>(reply);
    QVERIFY(decoded.hasValue());
    QTEST(claimNotice(*decoded), "claim");
    QTEST(redeemNotice(*decoded), "redeem");
}

void AccountRulesTest::answerSettingsFromState_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("creativity");

    QTest::newRow("no state") << QByteArray() << "normal" << "balanced";
    QTest::newRow("no settings") << QByteArray("{}") << "normal" << "balanced";
    QTest::newRow("stored values")
        << QByteArray(R"({"settings":{"response_length":"short","creativity":"creative"}})")
        << "short" << "creative";
}

void AccountRulesTest::answerSettingsFromState()
{
    QFETCH(QByteArray, state);
    QTEST(selectedLength(stateFrom(state)), "length");
    QTEST(selectedCreativity(stateFrom(state)), "creativity");
}

void AccountRulesTest::voiceLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("pinned");

    const QString english = QStringLiteral("Hello! I'm Vexa AI. This is how my voice sounds.");
    const QString russian = QStringLiteral("Привет! Я Vexa AI. Так будет звучать мой голос.");
    QTest::newRow("en-US") << "en-US" << english << "en.voice";
    QTest::newRow("ru-RU") << "ru-RU" << russian << "ru.voice";
    QTest::newRow("another English is not exactly en-US") << "en-GB" << russian << "ru.voice";
    QTest::newRow("letter case matters") << "en-us" << russian << "ru.voice";
}

void AccountRulesTest::voiceLanguage()
{
    QFETCH(QString, locale);
    QTEST(voiceSample(locale), "sample");
    QTEST(pinnedVoiceFor(locale, QStringLiteral("ru.voice"), QStringLiteral("en.voice")), "pinned");
}

void AccountRulesTest::promoField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("ready");

    QTest::newRow("empty") << "" << "" << false;
    QTest::newRow("spaces only") << "   " << "   " << false;
    QTest::newRow("tabs and no-break spaces") << QStringLiteral("\t\u00a0 ") << QStringLiteral("\t\u00a0 ") << false;
    QTest::newRow("a line break is more than spaces") << " \n " << " \n " << true;
    QTest::newRow("lower case becomes capitals") << "vexa2026" << "VEXA2026" << true;
    QTest::newRow("spaces around are kept") << "  ultra7 " << "  ULTRA7 " << true;
    QTest::newRow("Cyrillic letters too") << "ёлка-2026" << "ЁЛКА-2026" << true;
}

void AccountRulesTest::promoField()
{
    QFETCH(QString, typed);
    QTEST(promoCodeAsShown(typed), "shown");
    QTEST(promoCodeReady(promoCodeAsShown(typed)), "ready");
}

void AccountRulesTest::buyAddress_data()
{
    QTest::addColumn<QByteArray>("offer");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("limitLine");

    QTest::newRow("another tariff with an https address")
        << QByteArray(R"({"id":"pro","title":"Pro","daily_limit":200,"bot_buy_url":"https://t.me/VexaAIBot?start=buy_pro"})")
        << "https://t.me/VexaAIBot?start=buy_pro" << "До 200 запросов в день";
    QTest::newRow("the current tariff never, even with an address")
        << QByteArray(R"({"id":"pro","title":"Pro","is_current":true,"bot_buy_url":"https://t.me/x"})")
        << "" << "До 0 запросов в день";
    QTest::newRow("is_current false counts as another tariff")
        << QByteArray(R"({"id":"a","title":"A","is_current":false,"bot_buy_url":"https://t.me/x"})")
        << "https://t.me/x" << "До 0 запросов в день";
    QTest::newRow("no address")
        << QByteArray(R"({"id":"free","title":"Free","daily_limit":20})") << "" << "До 20 запросов в день";
    QTest::newRow("plain http is not opened")
        << QByteArray(R"({"id":"a","title":"A","bot_buy_url":"http://t.me/x"})") << "" << "До 0 запросов в день";
    QTest::newRow("another scheme is not opened")
        << QByteArray(R"({"id":"a","title":"A","bot_buy_url":"tg://resolve?domain=VexaAIBot"})") << "" << "До 0 запросов в день";
    QTest::newRow("script address is not opened")
        << QByteArray(R"j({"id":"a","title":"A","bot_buy_url":"javascript:alert(1)"})j") << "" << "До 0 запросов в день";
    QTest::newRow("a local file is not opened")
        << QByteArray(R"({"id":"a","title":"A","bot_buy_url":"file:///etc/passwd"})") << "" << "До 0 запросов в день";
    QTest::newRow("https without a host")
        << QByteArray(R"({"id":"a","title":"A","bot_buy_url":"https://"})") << "" << "До 0 запросов в день";
    QTest::newRow("not an address")
        << QByteArray(R"({"id":"a","title":"A","bot_buy_url":"купить в боте"})") << "" << "До 0 запросов в день";
}

void AccountRulesTest::buyAddress()
{
    QFETCH(QByteArray, offer);
    const VexaPlanOffer decoded = offerFrom(offer);
    QTEST(account::buyAddress(decoded).value_or(QUrl()).toString(), "address");
    QTEST(dailyLimitLine(decoded), "limitLine");
}

void AccountRulesTest::plansFailure_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("failed");
    QTest::addColumn<QString>("message");

    QTest::newRow("ok without plans is an empty list") << QByteArray(R"({"ok":true})") << false << "";
    QTest::newRow("ok false that still lists plans shows them")
        << QByteArray(R"({"ok":false,"plans":[]})") << false << "";
    QTest::newRow("ok false with the service's reason")
        << QByteArray(R"({"ok":false,"error":"Тарифы временно недоступны."})") << true
        << "Тарифы временно недоступны.";
    QTest::newRow("ok false without a reason") << QByteArray(R"({"ok":false})") << true
                                               << "Запрос не выполнен.";
}

void AccountRulesTest::plansFailure()
{
    QFETCH(QByteArray, reply);
    const auto decoded = records::decodeJson<PlansResponse>(reply);
    QVERIFY(decoded.hasValue());
    const auto failure = account::plansFailure(*decoded);
    QTEST(failure.has_value(), "failed");
    QTEST(failure.value_or(QString()), "message");
}

void AccountRulesTest::downloadsAddress_data()
{
    QTest::addColumn<QUrl>("origin");
    QTest::addColumn<QString>("address");

    QTest::newRow("service origin") << QUrl(QStringLiteral("https://vexa.ai"))
                                    << "https://vexa.ai/downloads.html";
    QTest::newRow("local service") << QUrl(QStringLiteral("http://127.0.0.1:8080"))
                                   << "http://127.0.0.1:8080/downloads.html";
    QTest::newRow("refused origin: nothing to open") << QUrl() << "";
}

void AccountRulesTest::downloadsAddress()
{
    QFETCH(QUrl, origin);
    QTEST(account::downloadsAddress(origin).toString(), "address");
}

QTEST_GUILESS_MAIN(AccountRulesTest)

#include "tst_accountrules.moc"
