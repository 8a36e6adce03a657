#include "voiceconversationviewmodel.h"
#include "answerblocks.h"

#include "vexaclient.h"
#include "vexaerror.h"
#include "voicetexts.h"

namespace vexa::voice {

VoiceConversationViewModel::VoiceConversationViewModel(QObject *parent)
    : QObject(parent), m_client(vexa::VexaClient::shared()),
      m_preferences(std::make_unique<VoicePreferences>()),
      m_voice(std::make_unique<VoiceService>(VoicePlatform::system())),
      m_selectedModelTitle(texts::choosingModel())
{
    wire();
}

VoiceConversationViewModel::VoiceConversationViewModel(vexa::VexaClient *client,
                                                       VoicePlatform platform,
                                                       const QString &preferencesPath,
                                                       QObject *parent)
    : QObject(parent), m_client(client),
      m_preferences(std::make_unique<VoicePreferences>(preferencesPath)),
      m_voice(std::make_unique<VoiceService>(std::move(platform))),
      m_selectedModelTitle(texts::choosingModel())
{
    wire();
}

VoiceConversationViewModel::~VoiceConversationViewModel()
{
    ++m_visit;
    stopVoice();
}

void VoiceConversationViewModel::wire()
{
    VoiceService *voice = m_voice.get();
    connect(voice, &VoiceService::finalTranscriptChanged, this, &VoiceConversationViewModel::onPhrase);
    connect(voice, &VoiceService::speechFinishedCountChanged, this,
            &VoiceConversationViewModel::onSpeechOver);
    // An answer cut off by another speaker is over too; waiting for its end would stall the loop.
    connect(voice, &VoiceService::speechInterrupted, this, &VoiceConversationViewModel::onSpeechOver);
    // A phrase ended any other way (an error, the main button) ends the hold with it.
    connect(voice, &VoiceService::isListeningChanged, this, [this] {
        if (!m_voice->isListening())
            setHoldingToTalk(false);
    });
    for (auto signal : {&VoiceService::isListeningChanged, &VoiceService::isSpeakingChanged,
                        &VoiceService::transcriptChanged})
        connect(voice, signal, this, &VoiceConversationViewModel::statusChanged);
    if (m_client) {
        connect(m_client, &vexa::VexaClient::stateChanged, this, [this] {
            const bool available = modelAvailable();
            if (available != m_lastModelAvailable) {
                m_lastModelAvailable = available;
                Q_EMIT modelAvailableChanged();
                Q_EMIT statusChanged();
            }
        });
        connect(m_client, &vexa::VexaClient::sendingChanged, this,
                &VoiceConversationViewModel::statusChanged);
    }
    connect(this, &VoiceConversationViewModel::modelChanged, this, [this] {
        m_lastModelAvailable = modelAvailable();
        Q_EMIT modelAvailableChanged();
        Q_EMIT statusChanged();
    });
}

bool VoiceConversationViewModel::modelAvailable() const
{
    if (!m_selectedModel || !m_client || !m_client->state() || !m_client->state()->models)
        return false;
    for (const vexa::VexaModel &model : *m_client->state()->models) {
        if (model.id == *m_selectedModel && model.isAvailable)
            return true;
    }
    return false;
}

QString VoiceConversationViewModel::statusText() const
{
    if (m_voice->isListening())
        return texts::statusListening();
    if (m_processing)
        return texts::statusProcessing();
    if (m_voice->isSpeaking())
        return texts::statusSpeaking();
    if (m_paused)
        return texts::statusPaused();
    return texts::statusIdle();
}

bool VoiceConversationViewModel::canSendPhrase() const
{
    return m_voice->isListening() && !m_voice->transcript().isEmpty();
}

bool VoiceConversationViewModel::mainButtonEnabled() const
{
    // Ending is always possible, also while a phrase is being answered.
    if (m_active)
        return true;
    const bool sending = m_client && m_client->sending();
    return !sending && !m_choosingModel && !m_processing && modelAvailable();
}

void VoiceConversationViewModel::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    Q_EMIT activeChanged();
    Q_EMIT statusChanged();
}

void VoiceConversationViewModel::setProcessing(bool processing)
{
    if (m_processing == processing)
        return;
    m_processing = processing;
    Q_EMIT processingChanged();
    Q_EMIT statusChanged();
}

void VoiceConversationViewModel::setPaused(bool paused)
{
    if (m_paused == paused)
        return;
    m_paused = paused;
    Q_EMIT pausedChanged();
    Q_EMIT statusChanged();
}

void VoiceConversationViewModel::setChoosingModel(bool choosing)
{
    if (m_choosingModel == choosing)
        return;
    m_choosingModel = choosing;
    Q_EMIT choosingModelChanged();
    Q_EMIT statusChanged();
}

void VoiceConversationViewModel::setShowingVoices(bool showing)
{
    if (m_showingVoices == showing)
        return;
    m_showingVoices = showing;
    Q_EMIT showingVoicesChanged();
    if (showing && m_active) {
        setPaused(true);
        stopVoice();
    } else if (!showing && m_paused) {
        setPaused(false);
        if (m_active && !m_processing)
            listenAgain();
    }
}

void VoiceConversationViewModel::stopVoice()
{
    m_voice->stopListening();
    m_voice->stopSpeaking();
}

void VoiceConversationViewModel::appear()
{
    ++m_visit;
    setActive(false);
    setPaused(false);
    setProcessing(false);
    if (!m_lastAnswer.isEmpty()) {
        m_lastAnswer.clear();
        Q_EMIT lastAnswerChanged();
    }
    m_selectedModel.reset();
    m_selectedModelTitle = texts::choosingModel();
    m_modelReason.clear();
    Q_EMIT modelChanged();
    refreshThenChoose();
}

void VoiceConversationViewModel::disappear()
{
    ++m_visit;
    setActive(false);
    setPaused(false);
    setProcessing(false);
    stopVoice();
    if (m_showingVoices) {
        m_showingVoices = false;
        Q_EMIT showingVoicesChanged();
    }
}

void VoiceConversationViewModel::refreshModelChoice()
{
    refreshThenChoose();
}

QCoro::Task<> VoiceConversationViewModel::refreshThenChoose()
{
    QPointer<VoiceConversationViewModel> self(this);
    const quint64 visit = m_visit;
    QPointer<vexa::VexaClient> client = m_client;
    if (!client)
        co_return;
    co_await client->refresh();
    if (!self || !current(visit))
        co_return;
    co_await chooseFastModel();
}

QCoro::Task<> VoiceConversationViewModel::chooseFastModel()
{
    // The model does not change during a conversation.
    if (m_active || m_choosingModel || !m_client)
        co_return;
    setChoosingModel(true);
    QPointer<VoiceConversationViewModel> self(this);
    QPointer<vexa::VexaClient> client = m_client;
    auto recommendation = co_await client->voiceRecommendation();
    if (!self)
        co_return;
    if (recommendation) {
        m_selectedModel = recommendation->model;
        m_selectedModelTitle = recommendation->title;
        m_modelReason = recommendation->reason;
        m_voice->clearError();
    } else {
        m_selectedModel.reset();
        m_selectedModelTitle = texts::noModelChosen();
        m_modelReason.clear();
        m_voice->setErrorMessage(texts::modelChoiceFailedPrefix()
                                 + vexa::describe(recommendation.error()));
    }
    Q_EMIT modelChanged();
    setChoosingModel(false);
}

void VoiceConversationViewModel::toggleConversation()
{
    if (m_active) {
        setActive(false);
        setPaused(false);
        stopVoice();
        return;
    }
    if (mainButtonEnabled())
        startConversation();
}

QCoro::Task<> VoiceConversationViewModel::startConversation()
{
    QPointer<VoiceConversationViewModel> self(this);
    const quint64 visit = m_visit;
    co_await chooseFastModel();
    if (!self || !current(visit) || m_active || !modelAvailable())
        co_return;
    setActive(true);
    co_await m_voice->start(m_preferences->locale(), m_preferences->allowOnline());
}

void VoiceConversationViewModel::sendRecognizedPhrase()
{
    m_voice->sendRecognizedPhrase();
}

void VoiceConversationViewModel::talkKeyPressed()
{
    if (!m_active || m_paused || m_holdingToTalk)
        return;
    if (m_voice->isSpeaking()) {
        // Cut short, not finished: the loop would not restart listening by itself.
        m_voice->stopSpeaking();
        listenAgain();
    } else if (m_voice->isListening()) {
        m_voice->holdPhrase();
        setHoldingToTalk(true);
    }
}

void VoiceConversationViewModel::talkKeyReleased()
{
    if (!m_holdingToTalk)
        return;
    setHoldingToTalk(false);
    m_voice->releasePhrase();
}

void VoiceConversationViewModel::setHoldingToTalk(bool holding)
{
    if (m_holdingToTalk == holding)
        return;
    m_holdingToTalk = holding;
    Q_EMIT holdingToTalkChanged();
}

QString VoiceConversationViewModel::pinnedVoice(const QString &locale) const
{
    return m_preferences->pinnedVoice(locale);
}

void VoiceConversationViewModel::onPhrase()
{
    const std::optional<QString> phrase = m_voice->finalTranscript();
    if (!m_active || !phrase)
        return;
    if (m_processing) {
        // One turn at a time: the phrase is not queued behind the answer.
        Q_EMIT phraseDropped(*phrase);
        return;
    }
    if (phrase->trimmed().isEmpty())
        return;
    setProcessing(true);
    takeTurn(*phrase, m_visit);
}

QCoro::Task<> VoiceConversationViewModel::takeTurn(QString phrase, quint64 visit)
{
    QPointer<VoiceConversationViewModel> self(this);
    QPointer<vexa::VexaClient> client = m_client;
    if (!client) {
        setProcessing(false);
        co_return;
    }
    // The send's own outcome: the chat list it reloads may well be shorter than before.
    const std::optional<QString> answer = co_await client->send(phrase, std::nullopt, std::nullopt, m_selectedModel);
    if (!self || !current(visit))
        co_return;
    if (m_active && answer) {
        m_lastAnswer = *answer;
        Q_EMIT lastAnswerChanged();
        // Paused under the voice library: the answer is on screen; listening resumes on return.
        if (!m_paused) {
            const QString locale = m_preferences->locale();
            // Said as plain text: no Markdown marks, code and tables in words.
            m_voice->speak(vexa::answer::spokenAnswer(*answer), locale, pinnedVoice(locale),
                           m_preferences->rate());
        }
    } else if (m_active && !m_paused) {
        // Nothing to say: listen again at once.
        co_await m_voice->start(m_preferences->locale(), m_preferences->allowOnline());
        if (!self || !current(visit))
            co_return;
    }
    setProcessing(false);
}

void VoiceConversationViewModel::onSpeechOver()
{
    if (m_active && !m_paused)
        listenAgain();
}

void VoiceConversationViewModel::listenAgain()
{
    resumeListening(m_visit);
}

QCoro::Task<> VoiceConversationViewModel::resumeListening(quint64 visit)
{
    // Nothing after this suspends on the view-model: the voice service guards its own start.
    if (!current(visit))
        co_return;
    co_await m_voice->start(m_preferences->locale(), m_preferences->allowOnline());
}

} // namespace vexa::voice
