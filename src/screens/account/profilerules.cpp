#include "profilerules.h"

#include <QUrl>

namespace vexa::account {

QString displayName(const OptionalState &state)
{
    if (state && state->user && state->user->firstName)
        return *state->user->firstName;
    return QStringLiteral("Пользователь");
}

QString usernameLine(const OptionalState &state)
{
    if (!state || !state->user || !state->user->username || state->user->username->isEmpty())
        return QString();
    return u'@' + *state->user->username;
}

QString tariffTitle(const OptionalState &state)
{
    if (state && state->plan && state->plan->title)
        return *state->plan->title;
    return QStringLiteral("Free");
}

QString tariffLine(const OptionalState &state)
{
    return QStringLiteral("Тариф: ") + tariffTitle(state);
}

QString allowanceText(std::optional<qint64> allowance)
{
    if (!allowance)
        return QStringLiteral("—");
    if (*allowance < 0)
        return QStringLiteral("∞");
    return QString::number(*allowance);
}

namespace {

QString providerAllowance(qint64 allowance)
{
    return allowance < 0 ? QStringLiteral("∞") : QString::number(allowance);
}

QString count(std::optional<qint64> value)
{
    return QString::number(value.value_or(0));
}

} // namespace

QList<MetricRow> limitRows(const OptionalState &state)
{
    const VexaLimits limits = state && state->limits ? *state->limits : VexaLimits{};
    QList<MetricRow> rows{
        {QStringLiteral("Запросов сегодня"),
         count(limits.usedDay) + QStringLiteral(" / ") + allowanceText(limits.day)},
        {QStringLiteral("Запросов в неделю"), allowanceText(limits.week)},
        {QStringLiteral("Бонусные запросы"), count(limits.bonusRequests)},
        {QStringLiteral("Кредиты изображений"), count(limits.imageCredits)},
    };
    if (state && state->funpayLimits && state->funpayLimits->day != 0) {
        const VexaProviderLimits &fp = *state->funpayLimits;
        rows.append({QStringLiteral("Модели FP · 24 часа"),
                     QString::number(fp.used_day) + QStringLiteral(" / ") + providerAllowance(fp.day)});
        rows.append({QStringLiteral("Модели FP · 7 дней"),
                     QString::number(fp.used_week) + QStringLiteral(" / ")
                         + providerAllowance(fp.week)});
    }
    return rows;
}

std::optional<QString> expiresLabel(const OptionalState &state)
{
    if (state && state->plan)
        return state->plan->expiresLabel;
    return std::nullopt;
}

QList<MetricRow> activityRows(const OptionalState &state)
{
    const VexaStats stats = state && state->stats ? *state->stats : VexaStats{};
    const std::optional<qint64> streak = stats.streak ? stats.streak->currentStreak : std::nullopt;
    return {
        {QStringLiteral("Сообщения"), count(stats.messages)},
        {QStringLiteral("Изображения"), count(stats.images)},
        {QStringLiteral("Серия дней"), count(streak)},
    };
}

bool bonusClaimedToday(const OptionalState &state)
{
    return state && state->dailyBonus && state->dailyBonus->claimed.value_or(false);
}

QString referralLink(const OptionalState &state)
{
    if (state && state->referral && state->referral->link)
        return *state->referral->link;
    return QString();
}

QString claimNotice(const VexaResponse &reply)
{
    return reply.message ? *reply.message : QStringLiteral("Бонус получен.");
}

QString referralCopiedNotice()
{
    return QStringLiteral("Реферальная ссылка скопирована.");
}

QString responseLengthSetting()
{
    return QStringLiteral("response_length");
}

QString creativitySetting()
{
    return QStringLiteral("creativity");
}

QList<Choice> lengthChoices()
{
    return {{QStringLiteral("short"), QStringLiteral("Кратко")},
            {QStringLiteral("normal"), QStringLiteral("Обычно")},
            {QStringLiteral("detailed"), QStringLiteral("Подробно")}};
}

QList<Choice> creativityChoices()
{
    return {{QStringLiteral("precise"), QStringLiteral("Точно")},
            {QStringLiteral("balanced"), QStringLiteral("Сбалансированно")},
            {QStringLiteral("creative"), QStringLiteral("Творчески")}};
}

QString selectedLength(const OptionalState &state)
{
    if (state && state->settings && state->settings->responseLength)
        return *state->settings->responseLength;
    return QStringLiteral("normal");
}

QString selectedCreativity(const OptionalState &state)
{
    if (state && state->settings && state->settings->creativity)
        return *state->settings->creativity;
    return QStringLiteral("balanced");
}

QList<Choice> speechLanguageChoices()
{
    return {{QStringLiteral("ru-RU"), QStringLiteral("Русский")},
            {QStringLiteral("en-US"), QStringLiteral("English")}};
}

bool isEnglish(const QString &locale)
{
    return locale == QLatin1String("en-US");
}

QString voiceSample(const QString &locale)
{
    return isEnglish(locale) ? QStringLiteral("Hello! I'm Vexa AI. This is how my voice sounds.")
                             : QStringLiteral("Привет! Я Vexa AI. Так будет звучать мой голос.");
}

QString pinnedVoiceFor(const QString &locale, const QString &russianVoiceID,
                       const QString &englishVoiceID)
{
    return isEnglish(locale) ? englishVoiceID : russianVoiceID;
}

QString voicesListingText()
{
    return QStringLiteral("Загружаем список голосов…");
}

QUrl downloadsAddress(const QUrl &origin)
{
    if (!origin.isValid() || origin.host().isEmpty())
        return QUrl();
    QUrl address = origin;
    address.setPath(QStringLiteral("/downloads.html"));
    return address;
}

} // namespace vexa::account
