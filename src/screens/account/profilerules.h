#pragma once

// What the profile screen shows, derived from the account state: the pure rules, kept apart
// from the view-model so each can be checked on its own.

#include "chatrecords.h"
#include "vexastate.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace vexa::account {

// One "title … value" row of the limits and activity cards.
struct MetricRow {
    QString title;
    QString value;
};

// One entry of a picker: the value stored or sent, and what the user reads.
struct Choice {
    QString value;
    QString label;
};

using OptionalState = std::optional<VexaState>;

// The first name as sent (an empty one stays empty); "Пользователь" when there is none.
QString displayName(const OptionalState &state);
// "@name", or empty when there is no user name (the line is then hidden).
QString usernameLine(const OptionalState &state);
// The tariff's title, "Free" when there is none.
QString tariffTitle(const OptionalState &state);
QString tariffLine(const OptionalState &state); // "Тариф: " + title

// "—" when absent, "∞" when negative, else the decimal number.
QString allowanceText(std::optional<qint64> allowance);
// The limit rows in display order; the provider's rows only when its daily allowance is not 0.
QList<MetricRow> limitRows(const OptionalState &state);
// The subscription's end as sent (an empty text is still a row); nothing when absent.
std::optional<QString> expiresLabel(const OptionalState &state);
QList<MetricRow> activityRows(const OptionalState &state);

// True only when the state says today's bonus is claimed; anything missing offers the button.
bool bonusClaimedToday(const OptionalState &state);
// The referral link, or empty when there is none.
QString referralLink(const OptionalState &state);
// What a successful claim tells the user: the service's message or "Бонус получен.".
QString claimNotice(const VexaResponse &reply);
QString referralCopiedNotice();

// Answer settings: the service's names and values, and the choices offered.
QString responseLengthSetting(); // "response_length"
QString creativitySetting();     // "creativity"
QList<Choice> lengthChoices();
QList<Choice> creativityChoices();
QString selectedLength(const OptionalState &state);     // the state's value or "normal"
QString selectedCreativity(const OptionalState &state); // the state's value or "balanced"

// Speech: the language choices, the sample sentence and which stored voice a language uses.
QList<Choice> speechLanguageChoices();
bool isEnglish(const QString &locale); // exactly "en-US"
QString voiceSample(const QString &locale);
QString pinnedVoiceFor(const QString &locale, const QString &russianVoiceID,
                       const QString &englishVoiceID);
// The voice caption while the system's voices are being listed.
QString voicesListingText();

// The service's page of other apps: the origin followed by "/downloads.html"; empty when the
// origin is unusable.
QUrl downloadsAddress(const QUrl &origin);

} // namespace vexa::account
