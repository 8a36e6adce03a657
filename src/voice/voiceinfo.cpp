#include "voiceinfo.h"

#include <QLocale>

namespace vexa::voice {

int VoiceInfo::rank() const
{
    if (isNovelty())
        return -1;
    switch (quality) {
    case QualityPremium:
        return 3;
    case QualityEnhanced:
        return 2;
    default:
        return 1;
    }
}

VoiceInventory::VoiceInventory() : d(std::make_shared<const Data>()) {}

VoiceInventory::VoiceInventory(QList<VoiceInfo> voices,
                               QHash<QString, QString> defaultVoiceByLanguage)
{
    auto data = std::make_shared<Data>();
    data->voices = std::move(voices);
    data->indexById.reserve(data->voices.size());
    for (qsizetype i = 0; i < data->voices.size(); ++i) {
        // The first of several voices listed under one identifier is the one a lookup finds.
        if (!data->indexById.contains(data->voices[i].identifier))
            data->indexById.insert(data->voices[i].identifier, i);
    }
    data->defaultVoiceByLanguage = std::move(defaultVoiceByLanguage);
    d = std::move(data);
}

std::optional<VoiceInfo> VoiceInventory::installedVoice(const QString &identifier) const
{
    const auto it = d->indexById.constFind(identifier);
    if (it == d->indexById.constEnd())
        return std::nullopt;
    return d->voices[*it];
}

std::optional<VoiceInfo> VoiceInventory::platformVoice(const QString &identifier) const
{
    if (auto exact = installedVoice(identifier))
        return exact;
    const auto key = parseSystemVoiceIdentifier(identifier);
    if (!key)
        return std::nullopt;
    const QString tag = canonicalTag(key->languageTag);
    if (tag.isEmpty())
        return std::nullopt;
    return installedVoice(systemVoiceIdentifier(key->engine, tag, key->name));
}

std::optional<VoiceInfo> VoiceInventory::defaultVoice(const QString &languageTag) const
{
    const QString tag = canonicalTag(languageTag);
    if (tag.isEmpty())
        return std::nullopt;
    const auto it = d->defaultVoiceByLanguage.constFind(tag);
    if (it == d->defaultVoiceByLanguage.constEnd())
        return std::nullopt;
    return installedVoice(*it);
}

QString VoiceInventory::canonicalTag(const QString &languageTag)
{
    const QString trimmed = languageTag.trimmed();
    if (trimmed.isEmpty())
        return {};
    // QLocale("") would be the default locale and unknown tags become "C": neither is a language.
    const QLocale locale(trimmed);
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return {};
    return locale.name().replace(u'_', u'-');
}

QString systemVoiceIdentifier(const QString &engine, const QString &languageTag,
                              const QString &name)
{
    return engine + u'.' + languageTag + u'.' + name;
}

std::optional<SystemVoiceKey> parseSystemVoiceIdentifier(const QString &identifier)
{
    const qsizetype first = identifier.indexOf(u'.');
    if (first <= 0)
        return std::nullopt;
    const qsizetype second = identifier.indexOf(u'.', first + 1);
    if (second <= first + 1 || second + 1 >= identifier.size())
        return std::nullopt;
    return SystemVoiceKey{identifier.left(first), identifier.mid(first + 1, second - first - 1),
                          identifier.mid(second + 1)};
}

} // namespace vexa::voice
