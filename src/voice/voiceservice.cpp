#include "voiceservice.h"

#include "mainthread.h"
#include "platform/pocketsphinxrecognition.h"
#include "platform/loadedaudiocapture.h"
#include "platform/qtspeechsynthesizer.h"
#include "voicelevel.h"
#include "voicetexts.h"

namespace vexa::voice {

VoicePlatform VoicePlatform::system()
{
    return VoicePlatform{std::make_shared<LoadedAudioCapture>(),
                         std::make_shared<PocketSphinxRecognition>(),
                         std::make_shared<QtSpeechSynthesizer>(),
                         std::make_shared<SteadyVoiceClock>()};
}

VoiceService::VoiceService(QObject *parent) : VoiceService(VoicePlatform::system(), parent) {}

VoiceService::VoiceService(VoicePlatform platform, QObject *parent)
    : QObject(parent), m_platform(std::move(platform))
{
    m_lastVoiceActivity = m_platform.clock->now();
    m_lastTranscriptUpdate = m_lastVoiceActivity;
    QPointer<VoiceService> self(this);
    m_platform.synthesizer->setEndHandler([self](UtteranceId id, UtteranceEnd end) {
        postToMainThread([self, id, end] {
            if (self)
                self->handleUtteranceEnd(id, end);
        });
    });
}

VoiceService::~VoiceService()
{
    // Nothing may keep recording or talking for a screen that is gone.
    stopListening();
    if (m_isSpeaking)
        m_platform.synthesizer->stopSpeaking();
    m_platform.synthesizer->setEndHandler({});
}

// ---- Listening ----

QCoro::Task<> VoiceService::start(QString locale, bool allowOnlineRecognition)
{
    if (m_isListening || m_starting)
        co_return;
    stopListening();
    setTranscript(QString());
    setFinalTranscript(std::nullopt);
    setErrorMessage(std::nullopt);
    m_hasRecognizedSpeech = false;
    m_lastVoiceActivity = m_platform.clock->now();
    m_lastTranscriptUpdate = m_lastVoiceActivity;
    // From here until listening, a second start is ignored and a stop abandons this one.
    m_starting = true;
    co_await runStart(std::move(locale), allowOnlineRecognition, m_session);
}

void VoiceService::startListening(const QString &locale, bool allowOnlineRecognition)
{
    start(locale, allowOnlineRecognition); // runs on by itself
}

QCoro::Task<> VoiceService::runStart(QString locale, bool allowOnlineRecognition, quint64 session)
{
    QPointer<VoiceService> self(this);
    // The frame's copies keep the platform parts alive across the waits.
    const VoicePlatform platform = m_platform;

    const SpeechAuthorization authorization = co_await platform.recognition->requestAuthorization();
    if (!self || !stillStarting(session))
        co_return;
    if (authorization != SpeechAuthorization::Authorized) {
        failStart(texts::recognitionNotAuthorized());
        co_return;
    }

    const bool microphoneAllowed = co_await platform.capture->requestMicrophoneAccess();
    if (!self || !stillStarting(session))
        co_return;
    if (!microphoneAllowed) {
        failStart(texts::microphoneDenied());
        co_return;
    }

    const std::shared_ptr<SpeechRecognizer> recognizer =
        platform.recognition->makeRecognizer(locale);
    if (!recognizer || !recognizer->isAvailable()) {
        failStart(texts::recognizerUnavailable());
        co_return;
    }
    // Recognition stays on the device whenever the device can do it.
    const bool onDevice = recognizer->supportsOnDeviceRecognition();
    if (!onDevice && !allowOnlineRecognition) {
        failStart(texts::onDeviceRecognitionMissing());
        co_return;
    }

    m_recognitionRequest = recognizer->makeRequest(
        RecognitionOptions{.reportPartialResults = true, .requiresOnDeviceRecognition = onDevice});
    platform.capture->installTap(kCaptureBus, kCaptureBufferFrames, makeTap(m_recognitionRequest));
    m_tapInstalled = true;

    platform.capture->prepare();
    if (const std::optional<VoiceError> error = platform.capture->start()) {
        if (m_tapInstalled) {
            platform.capture->removeTap(kCaptureBus);
            m_tapInstalled = false;
        }
        m_recognitionRequest.reset();
        failStart(texts::microphoneStartFailedPrefix() + error->description);
        co_return;
    }

    // Everything is in place before anyone hears about it: a handler of isListeningChanged may
    // stop listening again at once.
    m_starting = false;
    m_isListening = true;
    m_silenceMonitor = std::make_shared<MonitorToken>();
    monitorSilence(self, platform.clock, m_silenceMonitor);
    m_recognitionTask = recognizer->startTask(m_recognitionRequest, makeResultHandler());
    Q_EMIT isListeningChanged();
}

void VoiceService::failStart(const QString &message)
{
    m_starting = false;
    setErrorMessage(message);
}

AudioTap VoiceService::makeTap(std::shared_ptr<RecognitionRequest> request)
{
    QPointer<VoiceService> self(this);
    const quint64 session = m_session;
    // Audio thread: hand the buffer on, measure, and post only when the level counts as voice.
    return [request = std::move(request), self, session](const AudioBuffer &buffer) {
        request->append(buffer);
        if (isVoiceLevel(sampledLevel(buffer.levelSamples(), buffer.frameLength))) {
            postToMainThread([self, session] {
                if (self)
                    self->noteVoiceActivity(session);
            });
        }
    };
}

RecognitionHandler VoiceService::makeResultHandler()
{
    QPointer<VoiceService> self(this);
    const quint64 session = m_session;
    return [self, session](std::optional<RecognitionResult> result,
                           std::optional<VoiceError> error) {
        postToMainThread([self, session, result = std::move(result),
                          error = std::move(error)]() mutable {
            if (self)
                self->handleRecognition(session, std::move(result), std::move(error));
        });
    };
}

void VoiceService::noteVoiceActivity(quint64 session)
{
    if (session == m_session)
        m_lastVoiceActivity = m_platform.clock->now();
}

void VoiceService::handleRecognition(quint64 session, std::optional<RecognitionResult> result,
                                     std::optional<VoiceError> error)
{
    // Results of an earlier phrase may still be in the queue after a restart.
    if (session != m_session || !m_isListening)
        return;
    if (result) {
        if (result->formattedString != m_transcript) {
            const TimePoint now = m_platform.clock->now();
            m_lastTranscriptUpdate = now;
            if (!result->formattedString.trimmed().isEmpty()) {
                m_hasRecognizedSpeech = true;
                m_lastVoiceActivity = now;
            }
            setTranscript(result->formattedString);
        }
        if (result->isFinal && !m_phraseHeld && session == m_session && m_isListening)
            sendRecognizedPhrase();
    }
    if (error && session == m_session && m_isListening) {
        setErrorMessage(error->description);
        stopListening();
    }
}

bool VoiceService::phraseSeemsComplete() const
{
    if (!m_hasRecognizedSpeech || m_phraseHeld)
        return false;
    const TimePoint now = m_platform.clock->now();
    // Let go before the words came: they are complete once the text stops changing, however
    // loud the room still is.
    if (m_endOnWords)
        return now - m_lastTranscriptUpdate > kQuietAfterTranscript;
    return now - m_lastVoiceActivity > kQuietAfterVoice
           && now - m_lastTranscriptUpdate > kQuietAfterTranscript;
}

QCoro::Task<> VoiceService::monitorSilence(QPointer<VoiceService> self,
                                           std::shared_ptr<VoiceClock> clock,
                                           std::shared_ptr<MonitorToken> token)
{
    // No overall limit: without recognised speech this watches until listening stops.
    while (!token->cancelled) {
        co_await clock->sleep(kSilencePollInterval);
        if (token->cancelled || !self || !self->m_isListening)
            co_return;
        if (self->phraseSeemsComplete()) {
            self->sendRecognizedPhrase();
            // Sent: listening stopped and cancelled this token. Only blanks: keep watching.
        }
    }
}

void VoiceService::sendRecognizedPhrase()
{
    const QString phrase = m_transcript.trimmed();
    if (phrase.isEmpty())
        return;
    stopListening();
    setFinalTranscript(phrase);
}

void VoiceService::holdPhrase()
{
    if (!m_isListening)
        return;
    m_phraseHeld = true;
    m_endOnWords = false;
}

void VoiceService::releasePhrase()
{
    if (!m_phraseHeld)
        return;
    m_phraseHeld = false;
    if (!m_isListening)
        return;
    if (m_transcript.trimmed().isEmpty())
        m_endOnWords = true; // the recognizer is still behind the voice
    else
        sendRecognizedPhrase();
}

void VoiceService::stopListening()
{
    m_starting = false;
    m_phraseHeld = false;
    m_endOnWords = false;
    ++m_session;
    if (m_silenceMonitor) {
        m_silenceMonitor->cancelled = true;
        m_silenceMonitor.reset();
    }
    if (m_platform.capture->isRunning())
        m_platform.capture->stop();
    if (m_tapInstalled) {
        m_platform.capture->removeTap(kCaptureBus);
        m_tapInstalled = false;
    }
    if (m_recognitionRequest)
        m_recognitionRequest->endAudio();
    if (m_recognitionTask) {
        m_recognitionTask->cancel();
        m_recognitionTask.reset();
    }
    m_recognitionRequest.reset();
    setListening(false);
}

// ---- Observable state ----

void VoiceService::setTranscript(const QString &transcript)
{
    if (transcript == m_transcript)
        return;
    m_transcript = transcript;
    Q_EMIT transcriptChanged();
}

void VoiceService::setFinalTranscript(std::optional<QString> phrase)
{
    if (phrase == m_finalTranscript)
        return;
    m_finalTranscript = std::move(phrase);
    Q_EMIT finalTranscriptChanged();
}

void VoiceService::setListening(bool listening)
{
    if (listening == m_isListening)
        return;
    m_isListening = listening;
    Q_EMIT isListeningChanged();
}

void VoiceService::setSpeaking(bool speaking)
{
    if (speaking == m_isSpeaking)
        return;
    m_isSpeaking = speaking;
    Q_EMIT isSpeakingChanged();
}

void VoiceService::setErrorMessage(std::optional<QString> message)
{
    if (message == m_errorMessage)
        return;
    m_errorMessage = std::move(message);
    Q_EMIT errorMessageChanged();
}

} // namespace vexa::voice
