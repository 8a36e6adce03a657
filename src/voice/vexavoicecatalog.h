#pragma once

#include "speechsynthesizer.h"
#include "voiceinfo.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

namespace vexa::voice {

// The installed system voices and the rules that choose which one speaks a language.
//
// The rules are static and work on a VoiceInventory, the snapshot of what the platform reported;
// an instance holds the current snapshot for a screen. Listing the voices takes seconds on some
// systems, so an instance fills itself in the background and publishes the whole list at once.
class VexaVoiceCatalog : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QVariantList voices READ voicesForQml NOTIFY voicesChanged)
    Q_PROPERTY(int count READ count NOTIFY voicesChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)

public:
    using VoiceInfo = vexa::voice::VoiceInfo;
    using VoiceInventory = vexa::voice::VoiceInventory;

    // Lists the system's voices.
    explicit VexaVoiceCatalog(QObject *parent = nullptr);
    VexaVoiceCatalog(std::shared_ptr<vexa::voice::SpeechSynthesizer> synthesizer,
                     QObject *parent = nullptr);
    ~VexaVoiceCatalog() override;

    const VoiceInventory &inventory() const { return m_inventory; }
    const QList<VoiceInfo> &voices() const { return m_inventory.voices(); }
    int count() const { return int(m_inventory.voices().size()); }
    bool loading() const { return m_loading; }
    // A listing has come in (until then nothing is known about which voices exist).
    bool filled() const { return m_filled; }

    // Replaces the list with the platform's current one. A fill asked for while one runs is
    // queued: it starts again once the running one has published, so a voice installed during a
    // listing is not missed.
    QCoro::Task<> fill(bool reload);
    // Asks the platform again (the first fill takes what it already knows). Works from an empty
    // list too: an engine that was not running at first use is tried anew.
    Q_INVOKABLE void refresh();
    bool refreshQueued() const { return m_refreshQueued; }

    // For screens: the rules below applied to the current list.
    Q_INVOKABLE QVariantList sortedVoices(const QString &locale) const;
    Q_INVOKABLE QString selectionTitleFor(const QString &identifier, const QString &locale) const;
    Q_INVOKABLE QString detailsFor(const QString &identifier) const;

    // ---- Rules ----
    // Same primary language subtag, case-insensitive; two tags without one also match.
    static bool sameLanguage(const QString &a, const QString &b);
    // A voice for a stored identifier, including the ".super-compact." → ".compact." rename.
    static std::optional<VoiceInfo> resolve(const VoiceInventory &installed,
                                            const QString &identifier);
    // The voices of a language, duplicates removed, best first.
    static QList<VoiceInfo> sorted(const VoiceInventory &installed, const QList<VoiceInfo> &voices,
                                   const QString &locale);
    static std::optional<VoiceInfo> bestVoice(const VoiceInventory &installed,
                                              const QString &locale);
    // Quality, language name in the user's locale and gender, joined with " · ".
    static QString details(const VoiceInfo &voice);
    static QString selectionTitle(const VoiceInventory &installed, const QString &identifier,
                                  const QString &locale);
    static QString qualityLabel(int quality);
    static QString genderLabel(int gender);

Q_SIGNALS:
    void voicesChanged();
    void loadingChanged();

private:
    QVariantList voicesForQml() const;
    void setLoading(bool loading);

    std::shared_ptr<vexa::voice::SpeechSynthesizer> m_synthesizer;
    VoiceInventory m_inventory;
    bool m_loading = false;
    bool m_filled = false;        // a listing has been published
    bool m_refreshQueued = false; // asked for during a fill
};

} // namespace vexa::voice
