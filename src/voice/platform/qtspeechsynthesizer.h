#pragma once

#include "../speechsynthesizer.h"

#include <QObject>

#include <memory>

namespace vexa::voice {

class SpeechEngineHost;

// Speech through Qt TextToSpeech. All synthesizers of the process share one engine on its own
// thread (see SpeechEngineHost): creating an engine lists every voice of speech-dispatcher, which
// takes seconds, and speech-dispatcher reports utterance events to every engine of the process
// alike, so a second engine would hear the first one's utterances end.
//
// Voice identifiers: "<engine>.<language tag>.<voice name>", e.g. "speechd.ru-RU.Russian".
// Quality is 1 and traits 0 for every voice: the engine reports neither.
class QtSpeechSynthesizer final : public SpeechSynthesizer
{
public:
    QtSpeechSynthesizer();
    ~QtSpeechSynthesizer() override;

    QCoro::Task<VoiceInventory> installedVoices() override;
    QCoro::Task<VoiceInventory> reloadVoices() override;
    UtteranceId speak(const Utterance &utterance) override;
    void stopSpeaking() override;
    void setEndHandler(std::function<void(UtteranceId, UtteranceEnd)> handler) override;

private:
    std::shared_ptr<SpeechEngineHost> m_host;
    quint64 m_owner;
    std::unique_ptr<QObject> m_receiver; // receives the host's end reports on the main thread
    std::function<void(UtteranceId, UtteranceEnd)> m_endHandler;
};

} // namespace vexa::voice
