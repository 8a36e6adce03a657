#pragma once

// The rules of the tools screen: which button a character row offers, where its portrait may
// load from, which saved action runs, and what an answer without text shows.

#include "catalogrecords.h"
#include "chatrecords.h"
#include "vexastate.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace vexa::content {

enum class CharacterButton {
    None,   // locked without a usable link
    Active, // "Активен", disabled
    Enable, // "Включить"
    Open,   // "Открыть": the purchase link, outside the app
};
CharacterButton characterButton(const VexaCharacter &character);

// A character's purchase link when it is an https address with a host; links are service text
// and open outside the app, so nothing else is followed.
std::optional<QUrl> purchaseLink(const VexaCharacter &character);

// Where a portrait loads from: an address of the service's origin (a relative one is resolved
// against it), any https address, or an embedded picture. Nothing for anything else (local
// files, other schemes), which then shows the character's emoji.
QUrl portraitSource(const std::optional<QString> &portraitURL, const QUrl &serviceOrigin);

// The emoji that stands in for a portrait.
QString characterEmoji(const VexaCharacter &character);

// The action a run uses: the one with the selected id, or the first when none matches; nothing
// when there are no actions.
std::optional<VexaAction> chosenAction(const QList<VexaAction> &actions, qint64 selectedID);

// The answer of a search or an action run, or the fixed text when the reply has none.
QString searchAnswerText(const VexaResponse &reply);
QString actionAnswerText(const VexaResponse &reply);

} // namespace vexa::content
