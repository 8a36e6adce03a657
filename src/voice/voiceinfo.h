#pragma once

#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>

#include <memory>
#include <optional>

namespace vexa::voice {

// One installed speech-synthesis voice, as the platform reports it.
struct VoiceInfo
{
    Q_GADGET
    Q_PROPERTY(QString identifier MEMBER identifier)
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QString language MEMBER language)
    Q_PROPERTY(int quality MEMBER quality)
    Q_PROPERTY(int gender MEMBER gender)
    Q_PROPERTY(uint voiceTraits MEMBER voiceTraits)

public:
    enum Quality { QualityDefault = 1, QualityEnhanced = 2, QualityPremium = 3 };
    enum Gender { GenderUnspecified = 0, GenderMale = 1, GenderFemale = 2 };
    static constexpr uint kNoveltyTrait = 1u << 0;

    QString identifier;
    QString name;
    QString language; // a language tag such as "ru-RU"
    int quality = QualityDefault;
    int gender = GenderUnspecified;
    uint voiceTraits = 0;

    bool isNovelty() const { return voiceTraits & kNoveltyTrait; }
    // Higher sorts first: novelty -1 whatever its quality, then premium 3, enhanced 2, other 1.
    int rank() const;

    friend bool operator==(const VoiceInfo &, const VoiceInfo &) = default;
};

// The installed voices at one moment, in the platform's order, with the platform's lookups
// (voice by identifier, default voice for a language). Immutable and cheap to copy.
class VoiceInventory
{
public:
    VoiceInventory();
    // Copies share the snapshot. There is deliberately no move: a moved-from inventory would be
    // unusable, and QCoro 0.8 moves from lvalues given to co_return.
    VoiceInventory(const VoiceInventory &) = default;
    VoiceInventory &operator=(const VoiceInventory &) = default;
    // `defaultVoiceByLanguage` maps canonical tags (see canonicalTag) to voice identifiers.
    VoiceInventory(QList<VoiceInfo> voices, QHash<QString, QString> defaultVoiceByLanguage);

    const QList<VoiceInfo> &voices() const { return d->voices; }
    bool isEmpty() const { return d->voices.isEmpty(); }

    // The installed voice with exactly this identifier.
    std::optional<VoiceInfo> installedVoice(const QString &identifier) const;
    // What the platform answers for an identifier: also identifiers that spell the language tag
    // differently ("speechd.ru_RU.Russian" finds "speechd.ru-RU.Russian").
    std::optional<VoiceInfo> platformVoice(const QString &identifier) const;
    // The voice the platform speaks a language with when none is chosen; absent when it has none.
    std::optional<VoiceInfo> defaultVoice(const QString &languageTag) const;

    // "ru_RU", "ru-ru" and "ru" all give "ru-RU"; empty or unknown tags give "".
    static QString canonicalTag(const QString &languageTag);

private:
    struct Data
    {
        QList<VoiceInfo> voices;
        QHash<QString, qsizetype> indexById;
        QHash<QString, QString> defaultVoiceByLanguage;
    };
    std::shared_ptr<const Data> d;
};

// Identifiers of system voices: engine, language tag and voice name joined by dots, for example
// "speechd.ru-RU.Russian+Alex". Engine and tag never contain a dot; the name may.
QString systemVoiceIdentifier(const QString &engine, const QString &languageTag,
                              const QString &name);
struct SystemVoiceKey
{
    QString engine;
    QString languageTag;
    QString name;
};
std::optional<SystemVoiceKey> parseSystemVoiceIdentifier(const QString &identifier);

} // namespace vexa::voice

Q_DECLARE_METATYPE(vexa::voice::VoiceInfo)
