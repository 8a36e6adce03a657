#include "qtspeechsynthesizer.h"

#include "speechenginehost.h"

namespace vexa::voice {

QtSpeechSynthesizer::QtSpeechSynthesizer()
    : m_host(SpeechEngineHost::instance()), m_owner(m_host->newOwner()),
      m_receiver(std::make_unique<QObject>())
{
    QObject::connect(m_host.get(), &SpeechEngineHost::utteranceEnded, m_receiver.get(),
                     [this](quint64 owner, UtteranceId id, UtteranceEnd end) {
                         if (owner == m_owner && m_endHandler)
                             m_endHandler(id, end);
                     });
    m_host->warmUp();
}

QtSpeechSynthesizer::~QtSpeechSynthesizer()
{
    m_host->stop(m_owner);
}

QCoro::Task<VoiceInventory> QtSpeechSynthesizer::installedVoices()
{
    const std::shared_ptr<SpeechEngineHost> host = m_host;
    co_return co_await host->voices(false);
}

QCoro::Task<VoiceInventory> QtSpeechSynthesizer::reloadVoices()
{
    const std::shared_ptr<SpeechEngineHost> host = m_host;
    co_return co_await host->voices(true);
}

UtteranceId QtSpeechSynthesizer::speak(const Utterance &utterance)
{
    return m_host->speak(m_owner, utterance);
}

void QtSpeechSynthesizer::stopSpeaking()
{
    m_host->stop(m_owner);
}

void QtSpeechSynthesizer::setEndHandler(std::function<void(UtteranceId, UtteranceEnd)> handler)
{
    m_endHandler = std::move(handler);
}

} // namespace vexa::voice
