// The voice selection rules. Plain functions of a VoiceInventory: no platform calls here.
#include "languagenames.h"
#include "vexavoicecatalog.h"
#include "voicetexts.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace vexa::voice {

namespace {

// First non-empty piece of a tag split at "-" ("ru-RU" gives "ru", "-en" gives "en").
QStringView primarySubtag(QStringView tag)
{
    qsizetype start = 0;
    while (start < tag.size()) {
        qsizetype end = tag.indexOf(u'-', start);
        if (end < 0)
            end = tag.size();
        if (end > start)
            return tag.mid(start, end - start);
        start = end + 1;
    }
    return {};
}

bool hasGender(const VoiceInfo &voice)
{
    return voice.gender == VoiceInfo::GenderMale || voice.gender == VoiceInfo::GenderFemale;
}

} // namespace

bool VexaVoiceCatalog::sameLanguage(const QString &a, const QString &b)
{
    const QStringView left = primarySubtag(a);
    const QStringView right = primarySubtag(b);
    if (left.isEmpty() || right.isEmpty())
        return left.isEmpty() && right.isEmpty();
    return left.compare(right, Qt::CaseInsensitive) == 0;
}

std::optional<VoiceInfo> VexaVoiceCatalog::resolve(const VoiceInventory &installed,
                                                   const QString &identifier)
{
    if (identifier.isEmpty())
        return std::nullopt;
    if (auto voice = installed.installedVoice(identifier))
        return voice;
    if (auto voice = installed.platformVoice(identifier))
        return voice;
    // Voices renamed between system versions keep working after an update.
    QString renamed = identifier;
    renamed.replace(QStringLiteral(".super-compact."), QStringLiteral(".compact."));
    return installed.installedVoice(renamed);
}

QList<VoiceInfo> VexaVoiceCatalog::sorted(const VoiceInventory &installed,
                                          const QList<VoiceInfo> &voices, const QString &locale)
{
    const std::optional<VoiceInfo> defaultVoice = installed.defaultVoice(locale);

    // Duplicates: name|language|quality. A later voice displaces a kept "super-compact" one.
    std::vector<VoiceInfo> kept;
    QHash<QString, qsizetype> slotByKey;
    for (const VoiceInfo &voice : voices) {
        if (!sameLanguage(voice.language, locale))
            continue;
        const QString key = voice.name + u'|' + voice.language + u'|'
                            + QString::number(voice.quality);
        const auto slot = slotByKey.constFind(key);
        if (slot == slotByKey.constEnd()) {
            slotByKey.insert(key, qsizetype(kept.size()));
            kept.push_back(voice);
        } else if (kept[*slot].identifier.contains(QStringLiteral("super-compact"))) {
            kept[*slot] = voice;
        }
    }

    struct Entry
    {
        const VoiceInfo *voice;
        int rank;
        bool isDefault;
        bool gendered;
        bool exactLanguage;
        QCollatorSortKey nameKey;
    };
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<Entry> entries;
    entries.reserve(kept.size());
    for (const VoiceInfo &voice : kept) {
        entries.push_back(Entry{&voice, voice.rank(),
                                defaultVoice && voice.identifier == defaultVoice->identifier,
                                hasGender(voice), voice.language == locale,
                                collator.sortKey(voice.name)});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if (a.rank != b.rank)
            return a.rank > b.rank;
        if (a.isDefault != b.isDefault)
            return a.isDefault;
        if (a.gendered != b.gendered)
            return a.gendered;
        if (a.exactLanguage != b.exactLanguage)
            return a.exactLanguage;
        if (const int byName = a.nameKey.compare(b.nameKey); byName != 0)
            return byName < 0;
        return a.voice->identifier < b.voice->identifier;
    });

    QList<VoiceInfo> result;
    result.reserve(qsizetype(entries.size()));
    for (const Entry &entry : entries)
        result.append(*entry.voice);
    return result;
}

std::optional<VoiceInfo> VexaVoiceCatalog::bestVoice(const VoiceInventory &installed,
                                                     const QString &locale)
{
    for (const VoiceInfo &voice : sorted(installed, installed.voices(), locale)) {
        if (!voice.isNovelty())
            return voice;
    }
    // A novelty voice never speaks on its own, not even as the platform's default.
    std::optional<VoiceInfo> fallback = installed.defaultVoice(locale);
    if (fallback && fallback->isNovelty())
        return std::nullopt;
    return fallback;
}

QString VexaVoiceCatalog::qualityLabel(int quality)
{
    switch (quality) {
    case VoiceInfo::QualityPremium:
        return texts::qualityPremium();
    case VoiceInfo::QualityEnhanced:
        return texts::qualityEnhanced();
    default:
        return texts::qualityStandard();
    }
}

QString VexaVoiceCatalog::genderLabel(int gender)
{
    switch (gender) {
    case VoiceInfo::GenderMale:
        return texts::genderMale();
    case VoiceInfo::GenderFemale:
        return texts::genderFemale();
    default:
        return {};
    }
}

QString VexaVoiceCatalog::details(const VoiceInfo &voice)
{
    QStringList parts;
    for (const QString &part : {qualityLabel(voice.quality),
                                vexa::voice::languageDisplayName(voice.language),
                                genderLabel(voice.gender)}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(texts::separator());
}

QString VexaVoiceCatalog::selectionTitle(const VoiceInventory &installed,
                                         const QString &identifier, const QString &locale)
{
    if (identifier.isEmpty()) {
        if (const auto best = bestVoice(installed, locale))
            return texts::automaticPrefix() + best->name + texts::separator()
                   + qualityLabel(best->quality);
        return texts::automaticPrefix() + texts::systemVoice();
    }
    if (const auto pinned = resolve(installed, identifier);
        pinned && sameLanguage(pinned->language, locale)) {
        return pinned->name + texts::separator() + details(*pinned);
    }
    return texts::pinnedVoiceUnavailable();
}

} // namespace vexa::voice
