#pragma once

#include "../speechsynthesizer.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QThread>

#include <memory>
#include <optional>

namespace vexa::voice {

class SpeechEngineWorker;

// The process's one Qt TextToSpeech engine, on a thread of its own. Main-thread API; results come
// back as signals on the main thread. Utterances carry the owner that spoke them, so one
// synthesizer's stop does not cut another's speech, and a new utterance that takes the audio over
// reports the previous one as interrupted.
class SpeechEngineHost : public QObject
{
    Q_OBJECT

public:
    static std::shared_ptr<SpeechEngineHost> instance();
    ~SpeechEngineHost() override;

    // The last listing, or a fresh one when there is none yet (or `reload`).
    QCoro::Task<VoiceInventory> voices(bool reload);
    // Starts the first listing in the background, so the first utterance need not wait for it.
    void warmUp();

    quint64 newOwner();
    UtteranceId speak(quint64 owner, const Utterance &utterance);
    void stop(quint64 owner);

Q_SIGNALS:
    void utteranceEnded(quint64 owner, vexa::voice::UtteranceId id, vexa::voice::UtteranceEnd end);
    void voicesListed();

private:
    SpeechEngineHost();
    void startListing();

    QThread m_thread;
    SpeechEngineWorker *m_worker = nullptr; // lives on m_thread
    std::optional<VoiceInventory> m_voices;
    bool m_listing = false;
    quint64 m_nextOwner = 0;
    UtteranceId m_nextUtterance = 0;
};

} // namespace vexa::voice
