#include "voicepreferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>

#include <algorithm>
#include <cmath>

namespace vexa::voice {

VoicePreferences::VoicePreferences(QObject *parent)
    : VoicePreferences(QString(), parent)
{
}

VoicePreferences::VoicePreferences(const QString &iniPath, QObject *parent)
    : PreferenceStore(iniPath,
                      {{"locale", kLocaleKey, QStringLiteral("ru-RU")},
                       {"allowOnline", kOnlineKey, false},
                       {"autoSpeak", kAutoSpeakKey, false},
                       // Clamped when spoken: the store keeps what was set.
                       {"rate", kRateKey, kDefaultRate},
                       {"russianVoiceID", kRussianVoiceKey, QString()},
                       {"englishVoiceID", kEnglishVoiceKey, QString()},
                       {"favoriteVoices", kFavoritesKey, QStringLiteral("[]")}},
                      parent)
{
}

QString VoicePreferences::locale() const
{
    return text(kLocaleKey);
}

void VoicePreferences::setLocale(const QString &locale)
{
    store(kLocaleKey, locale);
}

bool VoicePreferences::allowOnline() const
{
    return flag(kOnlineKey);
}

void VoicePreferences::setAllowOnline(bool allow)
{
    store(kOnlineKey, allow);
}

bool VoicePreferences::autoSpeak() const
{
    return flag(kAutoSpeakKey);
}

void VoicePreferences::setAutoSpeak(bool autoSpeak)
{
    store(kAutoSpeakKey, autoSpeak);
}

double VoicePreferences::rate() const
{
    return number(kRateKey);
}

void VoicePreferences::setRate(double rate)
{
    store(kRateKey, rate);
}

QString VoicePreferences::russianVoiceID() const
{
    return text(kRussianVoiceKey);
}

void VoicePreferences::setRussianVoiceID(const QString &identifier)
{
    store(kRussianVoiceKey, identifier);
}

QString VoicePreferences::englishVoiceID() const
{
    return text(kEnglishVoiceKey);
}

void VoicePreferences::setEnglishVoiceID(const QString &identifier)
{
    store(kEnglishVoiceKey, identifier);
}

QString VoicePreferences::pinnedVoiceKey(const QString &language)
{
    return language == QStringLiteral("en-US") ? kEnglishVoiceKey : kRussianVoiceKey;
}

QString VoicePreferences::pinnedVoice(const QString &language) const
{
    return text(pinnedVoiceKey(language));
}

void VoicePreferences::setPinnedVoice(const QString &language, const QString &identifier)
{
    store(pinnedVoiceKey(language), identifier);
}

QSet<QString> VoicePreferences::favoriteVoices() const
{
    return decodeFavorites(text(kFavoritesKey));
}

bool VoicePreferences::isFavorite(const QString &identifier) const
{
    return favoriteVoices().contains(identifier);
}

bool VoicePreferences::toggleFavorite(const QString &identifier)
{
    QSet<QString> favorites = favoriteVoices();
    const bool nowFavorite = !favorites.remove(identifier);
    if (nowFavorite)
        favorites.insert(identifier);
    if (const auto encoded = encodeFavorites(favorites))
        store(kFavoritesKey, *encoded);
    return isFavorite(identifier);
}

QSet<QString> VoicePreferences::decodeFavorites(const QString &stored)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(stored.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return {};
    QSet<QString> favorites;
    const QJsonArray array = document.array();
    for (const QJsonValue &value : array) {
        // One element of another type makes the whole value unreadable, as a strict decoder would.
        if (!value.isString())
            return {};
        favorites.insert(value.toString());
    }
    return favorites;
}

std::optional<QString> VoicePreferences::encodeFavorites(const QSet<QString> &favorites)
{
    QStringList ordered(favorites.cbegin(), favorites.cend());
    std::sort(ordered.begin(), ordered.end());
    const QByteArray json =
        QJsonDocument(QJsonArray::fromStringList(ordered)).toJson(QJsonDocument::Compact);
    if (json.isEmpty())
        return std::nullopt;
    return QString::fromUtf8(json);
}

QStringList VoicePreferences::favoriteVoiceList() const
{
    const QSet<QString> favorites = favoriteVoices();
    QStringList ordered(favorites.cbegin(), favorites.cend());
    std::sort(ordered.begin(), ordered.end());
    return ordered;
}

} // namespace vexa::voice
