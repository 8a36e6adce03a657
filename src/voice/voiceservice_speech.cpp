// The speaking side of VoiceService.
#include "vexavoicecatalog.h"
#include "voiceservice.h"

#include <algorithm>
#include <cmath>

namespace vexa::voice {

float VoiceService::clampedRate(double storedRate)
{
    // A damaged stored value speaks at the normal pace rather than at an arbitrary one.
    if (!std::isfinite(storedRate))
        return 0.5f;
    if (storedRate <= 0.4)
        return 0.4f;
    return float(std::min(storedRate, 0.62));
}

void VoiceService::speak(const QString &text, const QString &language,
                         const QString &pinnedIdentifier, double storedRate)
{
    m_platform.synthesizer->stopSpeaking();
    const quint64 request = ++m_speechRequest;
    m_currentUtterance = 0;
    const float rate = clampedRate(storedRate);
    setSpeaking(true);
    speakWhenVoicesKnown(QPointer<VoiceService>(this), request, text, language, pinnedIdentifier,
                         rate);
}

QCoro::Task<> VoiceService::speakWhenVoicesKnown(QPointer<VoiceService> self, quint64 request,
                                                 QString text, QString language,
                                                 QString pinnedIdentifier, float rate)
{
    // The first listing of the system's voices can take seconds; later ones answer at once.
    const std::shared_ptr<SpeechSynthesizer> synthesizer = self->m_platform.synthesizer;
    const VoiceInventory voices = co_await synthesizer->installedVoices();
    if (!self || self->m_speechRequest != request)
        co_return;

    std::optional<VoiceInfo> voice = VexaVoiceCatalog::resolve(voices, pinnedIdentifier);
    if (!voice || !VexaVoiceCatalog::sameLanguage(voice->language, language))
        voice = VexaVoiceCatalog::bestVoice(voices, language);
    self->m_currentUtterance = synthesizer->speak(
        Utterance{text, language, voice ? voice->identifier : QString(), rate});
}

void VoiceService::stopSpeaking()
{
    m_platform.synthesizer->stopSpeaking();
    ++m_speechRequest;
    m_currentUtterance = 0;
    setSpeaking(false);
}

void VoiceService::handleUtteranceEnd(UtteranceId id, UtteranceEnd end)
{
    // Only the utterance this service is waiting for; a stopped or replaced one is over already.
    if (id == 0 || id != m_currentUtterance)
        return;
    m_currentUtterance = 0;
    setSpeaking(false);
    if (end == UtteranceEnd::Finished) {
        ++m_speechFinishedCount;
        Q_EMIT speechFinishedCountChanged();
    } else {
        Q_EMIT speechInterrupted();
    }
}

} // namespace vexa::voice
