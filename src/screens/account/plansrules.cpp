#include "plansrules.h"

#include "profilerules.h"

namespace vexa::account {

QString currentPlanLine(const std::optional<VexaState> &state)
{
    return QStringLiteral("Текущий тариф: ") + tariffTitle(state);
}

QString promoCodeAsShown(const QString &typed)
{
    return typed.toUpper();
}

namespace {

// Spaces and tabs of any kind, but not the characters that break a line.
bool isSpaceOnLine(QChar c)
{
    if (c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x85)
        || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
        return false;
    return c.isSpace();
}

} // namespace

bool promoCodeReady(const QString &code)
{
    for (const QChar c : code) {
        if (!isSpaceOnLine(c))
            return true;
    }
    return false;
}

QString redeemNotice(const VexaResponse &reply)
{
    return reply.message ? *reply.message : QStringLiteral("Промокод активирован.");
}

QString dailyLimitLine(const VexaPlanOffer &offer)
{
    return QStringLiteral("До ") + QString::number(offer.dailyLimit.value_or(0))
        + QStringLiteral(" запросов в день");
}

std::optional<QUrl> buyAddress(const VexaPlanOffer &offer)
{
    if (offer.isCurrent.value_or(false) || !offer.botBuyURL)
        return std::nullopt;
    const QUrl url(*offer.botBuyURL, QUrl::StrictMode);
    // Service data opens outside the app only as https: anything else could start a local
    // handler the user never meant to run.
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty())
        return std::nullopt;
    return url;
}

std::optional<QString> plansFailure(const PlansResponse &reply)
{
    if (reply.ok || reply.plans)
        return std::nullopt;
    return reply.error ? *reply.error : QStringLiteral("Запрос не выполнен.");
}

} // namespace vexa::account
