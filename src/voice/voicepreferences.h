#pragma once

#include "preferencestore.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace vexa::voice {

// The persisted voice preferences, shared by every screen that speaks or listens. All instances
// read and write the same store; a change made through one is announced by all of them.
class VoicePreferences : public vexa::PreferenceStore
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString locale READ locale WRITE setLocale NOTIFY localeChanged)
    Q_PROPERTY(bool allowOnline READ allowOnline WRITE setAllowOnline NOTIFY allowOnlineChanged)
    Q_PROPERTY(bool autoSpeak READ autoSpeak WRITE setAutoSpeak NOTIFY autoSpeakChanged)
    Q_PROPERTY(double rate READ rate WRITE setRate NOTIFY rateChanged)
    Q_PROPERTY(QString russianVoiceID READ russianVoiceID WRITE setRussianVoiceID NOTIFY
                   russianVoiceIDChanged)
    Q_PROPERTY(QString englishVoiceID READ englishVoiceID WRITE setEnglishVoiceID NOTIFY
                   englishVoiceIDChanged)
    Q_PROPERTY(QStringList favoriteVoices READ favoriteVoiceList NOTIFY favoriteVoicesChanged)

public:
    static inline const QString kLocaleKey = QStringLiteral("vexa_voice_locale");
    static inline const QString kOnlineKey = QStringLiteral("vexa_voice_online");
    static inline const QString kAutoSpeakKey = QStringLiteral("vexa_voice_autospeak");
    static inline const QString kRateKey = QStringLiteral("vexa_voice_rate");
    static inline const QString kRussianVoiceKey = QStringLiteral("vexa_voice_id_ru");
    static inline const QString kEnglishVoiceKey = QStringLiteral("vexa_voice_id_en");
    static inline const QString kFavoritesKey = QStringLiteral("vexa_favorite_voices");
    static constexpr double kDefaultRate = 0.5;

    // The application's defaults store.
    explicit VoicePreferences(QObject *parent = nullptr);
    // A store in an INI file (tests, tools).
    explicit VoicePreferences(const QString &iniPath, QObject *parent = nullptr);

    QString locale() const;
    void setLocale(const QString &locale);
    bool allowOnline() const;
    void setAllowOnline(bool allow);
    bool autoSpeak() const;
    void setAutoSpeak(bool autoSpeak);
    // As stored; a value that is not a finite number reads as the default. Clamped when spoken.
    double rate() const;
    void setRate(double rate);
    QString russianVoiceID() const;
    void setRussianVoiceID(const QString &identifier);
    QString englishVoiceID() const;
    void setEnglishVoiceID(const QString &identifier);

    // The pin for a language: the English one for exactly "en-US", the Russian one otherwise.
    static QString pinnedVoiceKey(const QString &language);
    Q_INVOKABLE QString pinnedVoice(const QString &language) const;
    Q_INVOKABLE void setPinnedVoice(const QString &language, const QString &identifier);

    QSet<QString> favoriteVoices() const;
    Q_INVOKABLE bool isFavorite(const QString &identifier) const;
    // Adds or removes; answers whether it is a favourite now.
    Q_INVOKABLE bool toggleFavorite(const QString &identifier);

    // Favourites text: a JSON array of strings. Anything else decodes as no favourites.
    static QSet<QString> decodeFavorites(const QString &stored);
    // Sorted ascending; nothing when the text cannot be produced.
    static std::optional<QString> encodeFavorites(const QSet<QString> &favorites);

Q_SIGNALS:
    void localeChanged();
    void allowOnlineChanged();
    void autoSpeakChanged();
    void rateChanged();
    void russianVoiceIDChanged();
    void englishVoiceIDChanged();
    void favoriteVoicesChanged();

private:
    QStringList favoriteVoiceList() const;
};

} // namespace vexa::voice
