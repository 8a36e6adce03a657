// The account's own calls: the daily bonus, the tariff offers and promo codes, and the
// downloads page the profile links to. Every change lands in ServiceState, so /api/state and
// every later reply show it.

#include "routes.h"

#include "servicestate.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QSet>

#include <memory>

namespace vexa::service {

namespace {

struct PlanOffer {
    QString id;
    QString title;
    qint64 dailyLimit = 0;
    QStringList features;
    QString buyUrl; // empty: nothing to buy (the free tariff)
};

QList<PlanOffer> planOffers()
{
    return {
        {QStringLiteral("free"), QStringLiteral("Free"), 20,
         {QStringLiteral("Модели Vexa Fast и Vexa Mini"),
          QStringLiteral("3 картинки в день"),
          QStringLiteral("История чатов на всех устройствах")},
         QString()},
        {QStringLiteral("pro"), QStringLiteral("Vexa Pro"), 200,
         {QStringLiteral("Все модели, кроме Vexa Ultra"),
          QStringLiteral("30 картинок в день и HD-качество"),
          QStringLiteral("Долгая память и проекты"),
          QStringLiteral("Голосовой режим без ограничений")},
         QStringLiteral("https://t.me/VexaAIBot?start=buy_pro")},
        {QStringLiteral("ultra"), QStringLiteral("Vexa Ultra"), 1000,
         {QStringLiteral("Все модели, включая Vexa Ultra"),
          QStringLiteral("100 картинок в день"),
          QStringLiteral("Приоритетная очередь ответов"),
          QStringLiteral("Поиск в интернете и действия")},
         QStringLiteral("https://t.me/VexaAIBot?start=buy_ultra")},
    };
}

QJsonObject planOffersJson(const ServiceState &state)
{
    QJsonArray plans;
    for (const PlanOffer &offer : planOffers()) {
        QJsonObject o{{QStringLiteral("id"), offer.id},
                      {QStringLiteral("title"), offer.title},
                      {QStringLiteral("daily_limit"), offer.dailyLimit},
                      {QStringLiteral("features"), QJsonArray::fromStringList(offer.features)},
                      {QStringLiteral("is_current"), offer.id == state.planId}};
        if (!offer.buyUrl.isEmpty())
            o.insert(QStringLiteral("bot_buy_url"), offer.buyUrl);
        plans.append(o);
    }
    return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("plans"), plans}};
}

QString dateAfter(int days)
{
    return QStringLiteral("до ") + QDate::currentDate().addDays(days).toString(QStringLiteral("dd.MM.yyyy"));
}

// What a code does to the account; the reply's message says it.
enum class PromoKind { BonusRequests, ImageCredits, UltraWeek };

struct PromoCode {
    PromoKind kind;
    qint64 amount = 0;
    bool expired = false;
};

// The codes the demo account knows. A code works once per account; "WELCOME" was used at sign-up.
class PromoBook
{
public:
    PromoBook()
    {
        m_codes.insert(QStringLiteral("VEXA2026"), {PromoKind::BonusRequests, 50});
        m_codes.insert(QStringLiteral("ARTWEEK"), {PromoKind::ImageCredits, 20});
        m_codes.insert(QStringLiteral("ULTRA7"), {PromoKind::UltraWeek, 7});
        m_codes.insert(QStringLiteral("WELCOME"), {PromoKind::BonusRequests, 10});
        m_codes.insert(QStringLiteral("NEWYEAR2025"), {PromoKind::BonusRequests, 100, true});
        m_used.insert(QStringLiteral("WELCOME"));
    }

    ApiResponse redeem(ServiceState &state, const QString &typed)
    {
        // The service reads codes without surrounding spaces and in any letter case.
        const QString code = typed.trimmed().toUpper();
        if (code.isEmpty())
            return ApiResponse::error(400, QStringLiteral("Введите промокод."));
        const auto found = m_codes.constFind(code);
        if (found == m_codes.constEnd())
            return ApiResponse::error(404, QStringLiteral("Промокод «%1» не найден. Проверьте, "
                                                          "правильно ли он введён.").arg(code));
        if (m_used.contains(code))
            return ApiResponse::error(409, QStringLiteral("Промокод «%1» уже активирован на вашем "
                                                          "аккаунте.").arg(code));
        if (found->expired)
            return ApiResponse::error(410, QStringLiteral("Срок действия промокода «%1» истёк.").arg(code));

        m_used.insert(code);
        QString message;
        switch (found->kind) {
        case PromoKind::BonusRequests:
            state.limits.bonusRequests += found->amount;
            message = QStringLiteral("Промокод %1 активирован: +%2 бонусных запросов.")
                          .arg(code).arg(found->amount);
            break;
        case PromoKind::ImageCredits:
            state.limits.imageCredits += found->amount;
            message = QStringLiteral("Промокод %1 активирован: +%2 кредитов изображений.")
                          .arg(code).arg(found->amount);
            break;
        case PromoKind::UltraWeek:
            state.planId = QStringLiteral("ultra");
            state.planTitle = QStringLiteral("Vexa Ultra");
            state.planExpiresLabel = dateAfter(int(found->amount));
            state.limits.day = 1000;
            for (ChatModel &model : state.models)
                model.isAvailable = true;
            message = QStringLiteral("Промокод %1 активирован: тариф Vexa Ultra на %2 дней.")
                          .arg(code).arg(found->amount);
            break;
        }
        return ApiResponse::ok({{QStringLiteral("message"), message},
                                {QStringLiteral("state"), state.toJson()}});
    }

private:
    QMap<QString, PromoCode> m_codes;
    QSet<QString> m_used;
};

ApiResponse claimBonus(ServiceState &state)
{
    if (state.dailyBonusClaimed)
        return ApiResponse::error(409, QStringLiteral("Сегодняшний бонус уже получен. "
                                                      "Следующий будет доступен завтра."));
    state.dailyBonusClaimed = true;
    state.limits.bonusRequests += state.dailyBonusAmount;
    return ApiResponse::ok(
        {{QStringLiteral("message"),
          QStringLiteral("Ежедневный бонус получен: +%1 бонусных запросов.").arg(state.dailyBonusAmount)},
         {QStringLiteral("state"), state.toJson()}});
}

QByteArray downloadsPage()
{
    return QStringLiteral("<!doctype html><html lang=\"ru\"><meta charset=\"utf-8\">"
                          "<title>Приложения Vexa AI</title>"
                          "<h1>Приложения Vexa AI</h1>"
                          "<p>Vexa AI для компьютера, телефона и планшета, а также Telegram-бот.</p>"
                          "<p>Это страница локального сервиса для разработки.</p></html>")
        .toUtf8();
}

} // namespace

void registerAccountRoutes(Router &router, ApiContext &context)
{
    // POST /api/bonus/claim {} -> the bonus once a day (409 when already taken)
    router.add("POST", QStringLiteral("/api/bonus/claim"), [&context](const ApiRequest &) {
        return claimBonus(context.state);
    });

    // GET /api/plans -> PlansResponse, the account's tariff marked current
    router.add("GET", QStringLiteral("/api/plans"), [&context](const ApiRequest &) {
        return ApiResponse::json(planOffersJson(context.state));
    });

    // POST /api/promo/redeem {"code": "..."}
    auto promos = std::make_shared<PromoBook>();
    router.add("POST", QStringLiteral("/api/promo/redeem"), [&context, promos](const ApiRequest &request) {
        const std::optional<QJsonObject> body = request.jsonObject();
        if (!body)
            return ApiResponse::error(400, texts::unreadableRequest());
        const QJsonValue code = body->value(QStringLiteral("code"));
        if (!code.isString())
            return ApiResponse::error(400, QStringLiteral("Не удалось прочитать запрос: ожидается «code»."));
        return promos->redeem(context.state, code.toString());
    });

    // The page "Другие приложения Vexa" opens.
    router.add("GET", QStringLiteral("/downloads.html"),
               [](const ApiRequest &) {
                   return ApiResponse::raw(200, "text/html; charset=utf-8", downloadsPage());
               },
               Access::Public);
}

} // namespace vexa::service
