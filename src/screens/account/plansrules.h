#pragma once

// What the plans screen shows and accepts: the pure rules behind its view-model.

#include "catalogrecords.h"
#include "chatrecords.h"
#include "vexastate.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace vexa::account {

// "Текущий тариф: " + the tariff's title, or "Free".
QString currentPlanLine(const std::optional<VexaState> &state);

// The field shows what is typed with every letter a capital.
QString promoCodeAsShown(const QString &typed);
// Something besides spaces around it (line breaks count as something).
bool promoCodeReady(const QString &code);
// What a successful redemption tells the user: the service's message or "Промокод активирован.".
QString redeemNotice(const VexaResponse &reply);

// "До N запросов в день" (0 when the offer has no limit).
QString dailyLimitLine(const VexaPlanOffer &offer);
// Where "Оформить в Telegram" leads: an https address with a host, for an offer that is not the
// current tariff; nothing otherwise.
std::optional<QUrl> buyAddress(const VexaPlanOffer &offer);

// Why a plans reply lists nothing: its own words when it says it failed, else nothing.
std::optional<QString> plansFailure(const PlansResponse &reply);

} // namespace vexa::account
