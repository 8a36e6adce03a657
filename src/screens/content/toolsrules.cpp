#include "toolsrules.h"

#include "picturenetwork.h"

namespace vexa::content {

std::optional<QUrl> purchaseLink(const VexaCharacter &character)
{
    if (!character.botBuyURL)
        return std::nullopt;
    const QUrl url(character.botBuyURL->trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty())
        return std::nullopt;
    return url;
}

CharacterButton characterButton(const VexaCharacter &character)
{
    if (character.isUnlocked.value_or(false))
        return character.isActive.value_or(false) ? CharacterButton::Active : CharacterButton::Enable;
    return purchaseLink(character) ? CharacterButton::Open : CharacterButton::None;
}

QUrl portraitSource(const std::optional<QString> &portraitURL, const QUrl &serviceOrigin)
{
    if (!portraitURL || portraitURL->trimmed().isEmpty())
        return {};
    const QUrl given(portraitURL->trimmed(), QUrl::StrictMode);
    if (!given.isValid())
        return {};
    if (given.scheme() == QLatin1String("data"))
        return given.path().startsWith(QLatin1String("image/")) ? given : QUrl();
    const QUrl url = given.isRelative() ? serviceOrigin.resolved(given) : given;
    if (serviceOrigin.isValid() && !serviceOrigin.isEmpty() && isSameOrigin(url, serviceOrigin))
        return url;
    if (url.scheme() == QLatin1String("https") && !url.host().isEmpty())
        return url;
    return {};
}

QString characterEmoji(const VexaCharacter &character)
{
    if (character.emoji && !character.emoji->isEmpty())
        return *character.emoji;
    return QStringLiteral("🤖");
}

std::optional<VexaAction> chosenAction(const QList<VexaAction> &actions, qint64 selectedID)
{
    if (actions.isEmpty())
        return std::nullopt;
    for (const VexaAction &action : actions) {
        if (action.id == selectedID)
            return action;
    }
    return actions.constFirst();
}

namespace {

QString answerOr(const VexaResponse &reply, const QString &fallback)
{
    if (reply.answer && !reply.answer->trimmed().isEmpty())
        return *reply.answer;
    return fallback;
}

} // namespace

QString searchAnswerText(const VexaResponse &reply)
{
    return answerOr(reply, QStringLiteral("Ответ не получен."));
}

QString actionAnswerText(const VexaResponse &reply)
{
    return answerOr(reply, QStringLiteral("Результат не получен."));
}

} // namespace vexa::content
