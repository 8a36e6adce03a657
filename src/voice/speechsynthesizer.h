#pragma once

#include "voiceinfo.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <functional>

namespace vexa::voice {

using UtteranceId = quint64;

struct Utterance
{
    QString text;
    QString language;        // the requested language tag
    QString voiceIdentifier; // empty: the platform's default voice for `language`
    float rate = 0.5f;       // 0.5 is the normal pace; the speak routine keeps it in 0.4 … 0.62
};

enum class UtteranceEnd {
    Finished,    // spoken to its end (or the platform gave up on it; see the real synthesizer)
    Interrupted, // another speaker in this process took the audio over
};

// The platform's speech synthesis: the installed voices and one utterance at a time.
class SpeechSynthesizer
{
public:
    virtual ~SpeechSynthesizer() = default;

    // The installed voices; listed once on first use, later calls answer the last listing.
    // Listing may take seconds; it never blocks the main thread.
    virtual QCoro::Task<VoiceInventory> installedVoices() = 0;
    // Asks the platform for its current voices again.
    virtual QCoro::Task<VoiceInventory> reloadVoices() = 0;

    virtual UtteranceId speak(const Utterance &utterance) = 0;
    // Stops at once. The stopped utterance reports no end.
    virtual void stopSpeaking() = 0;
    // How an utterance ended; may be called on any thread.
    virtual void setEndHandler(std::function<void(UtteranceId, UtteranceEnd)> handler) = 0;
};

} // namespace vexa::voice
