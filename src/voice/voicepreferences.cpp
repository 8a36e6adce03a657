#include "voicepreferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>

#include <algorithm>
#include <cmath>

namespace {

// Every instance hears about writes made through any other, so screens stay in step.
class PreferenceChanges : public QObject
{
    Q_OBJECT
signals:
    void changed(const QString &key);
};

PreferenceChanges &changes()
{
    static PreferenceChanges hub;
    return hub;
}

} // namespace

VoicePreferences::VoicePreferences(QObject *parent)
    : VoicePreferences(QString(), parent)
{
}

VoicePreferences::VoicePreferences(const QString &iniPath, QObject *parent)
    : QObject(parent),
      m_settings(iniPath.isEmpty()
                     ? std::make_unique<QSettings>(QStringLiteral("VexaAI"), QStringLiteral("VexaAI"))
                     : std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
    connect(&changes(), &PreferenceChanges::changed, this, &VoicePreferences::announce);
}

VoicePreferences::~VoicePreferences() = default;

QString VoicePreferences::locale() const
{
    return m_settings->value(kLocaleKey, QStringLiteral("ru-RU")).toString();
}

void VoicePreferences::setLocale(const QString &locale)
{
    if (locale != this->locale())
        write(kLocaleKey, locale);
}

bool VoicePreferences::allowOnline() const
{
    return m_settings->value(kOnlineKey, false).toBool();
}

void VoicePreferences::setAllowOnline(bool allow)
{
    if (allow != allowOnline())
        write(kOnlineKey, allow);
}

bool VoicePreferences::autoSpeak() const
{
    return m_settings->value(kAutoSpeakKey, false).toBool();
}

void VoicePreferences::setAutoSpeak(bool autoSpeak)
{
    if (autoSpeak != this->autoSpeak())
        write(kAutoSpeakKey, autoSpeak);
}

double VoicePreferences::rate() const
{
    bool ok = false;
    const double stored = m_settings->value(kRateKey, kDefaultRate).toDouble(&ok);
    return ok && std::isfinite(stored) ? stored : kDefaultRate;
}

void VoicePreferences::setRate(double rate)
{
    if (std::isfinite(rate) && rate != this->rate())
        write(kRateKey, rate);
}

QString VoicePreferences::russianVoiceID() const
{
    return m_settings->value(kRussianVoiceKey, QString()).toString();
}

void VoicePreferences::setRussianVoiceID(const QString &identifier)
{
    if (identifier != russianVoiceID())
        write(kRussianVoiceKey, identifier);
}

QString VoicePreferences::englishVoiceID() const
{
    return m_settings->value(kEnglishVoiceKey, QString()).toString();
}

void VoicePreferences::setEnglishVoiceID(const QString &identifier)
{
    if (identifier != englishVoiceID())
        write(kEnglishVoiceKey, identifier);
}

QString VoicePreferences::pinnedVoiceKey(const QString &language)
{
    return language == QStringLiteral("en-US") ? kEnglishVoiceKey : kRussianVoiceKey;
}

QString VoicePreferences::pinnedVoice(const QString &language) const
{
    return m_settings->value(pinnedVoiceKey(language), QString()).toString();
}

void VoicePreferences::setPinnedVoice(const QString &language, const QString &identifier)
{
    if (identifier != pinnedVoice(language))
        write(pinnedVoiceKey(language), identifier);
}

QSet<QString> VoicePreferences::favoriteVoices() const
{
    return decodeFavorites(m_settings->value(kFavoritesKey, QStringLiteral("[]")).toString());
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
        write(kFavoritesKey, *encoded);
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

void VoicePreferences::write(const QString &key, const QVariant &value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
    emit changes().changed(key);
}

void VoicePreferences::announce(const QString &key)
{
    // Another instance may hold its own QSettings over the same store: re-read before notifying.
    m_settings->sync();
    if (key == kLocaleKey)
        emit localeChanged();
    else if (key == kOnlineKey)
        emit allowOnlineChanged();
    else if (key == kAutoSpeakKey)
        emit autoSpeakChanged();
    else if (key == kRateKey)
        emit rateChanged();
    else if (key == kRussianVoiceKey)
        emit russianVoiceIDChanged();
    else if (key == kEnglishVoiceKey)
        emit englishVoiceIDChanged();
    else if (key == kFavoritesKey)
        emit favoriteVoicesChanged();
}

#include "voicepreferences.moc"
