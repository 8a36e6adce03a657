#include "vexavoicecatalog.h"

#include "platform/qtspeechsynthesizer.h"

#include <QPointer>

namespace vexa::voice {

VexaVoiceCatalog::VexaVoiceCatalog(QObject *parent)
    : VexaVoiceCatalog(std::make_shared<vexa::voice::QtSpeechSynthesizer>(), parent)
{
}

VexaVoiceCatalog::VexaVoiceCatalog(std::shared_ptr<vexa::voice::SpeechSynthesizer> synthesizer,
                                   QObject *parent)
    : QObject(parent), m_synthesizer(std::move(synthesizer))
{
    refresh();
}

VexaVoiceCatalog::~VexaVoiceCatalog() = default;

QCoro::Task<> VexaVoiceCatalog::fill(bool reload)
{
    if (m_loading) {
        m_refreshQueued = true;
        co_return;
    }
    setLoading(true);
    QPointer<VexaVoiceCatalog> self(this);
    // The frame keeps the synthesizer alive while the listing runs, even if the screen goes.
    const std::shared_ptr<vexa::voice::SpeechSynthesizer> synthesizer = m_synthesizer;
    for (;;) {
        // One co_await per statement: GCC 12 mishandles awaits inside a conditional expression.
        VoiceInventory listed;
        if (reload)
            listed = co_await synthesizer->reloadVoices();
        else
            listed = co_await synthesizer->installedVoices();
        if (!self)
            co_return;
        m_inventory = listed;
        m_filled = true;
        Q_EMIT voicesChanged();
        if (!m_refreshQueued)
            break;
        m_refreshQueued = false;
        reload = true;
    }
    setLoading(false);
}

void VexaVoiceCatalog::refresh()
{
    // Creation takes what the platform already knows; every later refresh asks it again, also
    // when the first listing came back empty.
    fill(m_filled); // runs on by itself; the catalog publishes when it ends
}

QVariantList VexaVoiceCatalog::voicesForQml() const
{
    QVariantList list;
    list.reserve(voices().size());
    for (const VoiceInfo &voice : voices())
        list.append(QVariant::fromValue(voice));
    return list;
}

QVariantList VexaVoiceCatalog::sortedVoices(const QString &locale) const
{
    QVariantList list;
    for (const VoiceInfo &voice : sorted(m_inventory, m_inventory.voices(), locale))
        list.append(QVariant::fromValue(voice));
    return list;
}

QString VexaVoiceCatalog::selectionTitleFor(const QString &identifier, const QString &locale) const
{
    return selectionTitle(m_inventory, identifier, locale);
}

QString VexaVoiceCatalog::detailsFor(const QString &identifier) const
{
    const auto voice = resolve(m_inventory, identifier);
    return voice ? details(*voice) : QString();
}

void VexaVoiceCatalog::setLoading(bool loading)
{
    if (m_loading == loading)
        return;
    m_loading = loading;
    Q_EMIT loadingChanged();
}

} // namespace vexa::voice
