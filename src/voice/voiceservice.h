#pragma once

#include "audiocapture.h"
#include "speechrecognition.h"
#include "speechsynthesizer.h"
#include "voiceclock.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

namespace vexa::voice {

// The platform parts a VoiceService works through.
struct VoicePlatform
{
    std::shared_ptr<vexa::voice::AudioCapture> capture;
    std::shared_ptr<vexa::voice::SpeechRecognitionService> recognition;
    std::shared_ptr<vexa::voice::SpeechSynthesizer> synthesizer;
    std::shared_ptr<vexa::voice::VoiceClock> clock;

    // Microphone, PocketSphinx, Qt TextToSpeech and the monotonic clock.
    static VoicePlatform system();
};

// Listening with phrase-end detection, and speaking. Each screen that needs voice owns one.
//
// Listening: microphone buffers feed the recognizer; the phrase is complete when speech has been
// recognised and both the level and the text have been quiet long enough, or when the recognizer
// says its result is final. Speaking: one utterance at a time in the chosen or best voice.
// All properties change on the main thread.
class VoiceService : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString transcript READ transcript NOTIFY transcriptChanged)
    // "" while there is no completed phrase; every start clears it.
    Q_PROPERTY(QString finalTranscript READ finalTranscriptText NOTIFY finalTranscriptChanged)
    Q_PROPERTY(bool isListening READ isListening NOTIFY isListeningChanged)
    Q_PROPERTY(bool isSpeaking READ isSpeaking NOTIFY isSpeakingChanged)
    Q_PROPERTY(int speechFinishedCount READ speechFinishedCount NOTIFY speechFinishedCountChanged)
    // "" while there is no error.
    Q_PROPERTY(QString errorMessage READ errorMessageText NOTIFY errorMessageChanged)

public:
    using TimePoint = vexa::voice::VoiceClock::TimePoint;

    explicit VoiceService(QObject *parent = nullptr);
    explicit VoiceService(VoicePlatform platform, QObject *parent = nullptr);
    ~VoiceService() override;

    QString transcript() const { return m_transcript; }
    const std::optional<QString> &finalTranscript() const { return m_finalTranscript; }
    bool isListening() const { return m_isListening; }
    bool isSpeaking() const { return m_isSpeaking; }
    int speechFinishedCount() const { return m_speechFinishedCount; }
    const std::optional<QString> &errorMessage() const { return m_errorMessage; }

    // Never throws; failures end in errorMessage. Does nothing while listening or while another
    // start is still waiting for permissions.
    QCoro::Task<> start(QString locale, bool allowOnlineRecognition);
    // start() for QML, which cannot await.
    Q_INVOKABLE void startListening(const QString &locale, bool allowOnlineRecognition);
    // Ends capture and recognition; also abandons a start that is still waiting. Safe any time.
    Q_INVOKABLE void stopListening();
    // Completes the phrase unless only blanks were recognised.
    Q_INVOKABLE void sendRecognizedPhrase();
    // Push-to-talk, for rooms too noisy for the pause to be heard: while the phrase is held,
    // neither the silence check nor the recognizer's own end completes it; letting go does, at
    // once, or when none are recognised yet, once the words that come have stopped changing.
    Q_INVOKABLE void holdPhrase();
    Q_INVOKABLE void releasePhrase();
    bool phraseHeld() const { return m_phraseHeld; }

    // Speaks `text` in `language`, with the pinned voice when it is installed and of that
    // language, else the best voice; the stored rate is clamped to 0.4 … 0.62.
    Q_INVOKABLE void speak(const QString &text, const QString &language,
                           const QString &pinnedIdentifier, double storedRate);
    // Stops at once; the stopped utterance does not count as finished.
    Q_INVOKABLE void stopSpeaking();
    static float clampedRate(double storedRate);

    // The error line is also the conversation's: a screen that drives the service may show its
    // own failure there (or clear it) until the next start resets it.
    void setErrorMessage(std::optional<QString> message);
    Q_INVOKABLE void showError(const QString &message) { setErrorMessage(message); }
    Q_INVOKABLE void clearError() { setErrorMessage(std::nullopt); }

    // Phrase-end state, for diagnostics and tests.
    TimePoint lastVoiceActivity() const { return m_lastVoiceActivity; }
    TimePoint lastTranscriptUpdate() const { return m_lastTranscriptUpdate; }
    bool hasRecognizedSpeech() const { return m_hasRecognizedSpeech; }

Q_SIGNALS:
    void transcriptChanged();
    void finalTranscriptChanged();
    void isListeningChanged();
    void isSpeakingChanged();
    void speechFinishedCountChanged();
    void errorMessageChanged();
    // The utterance this service was speaking was cut off by another speaker of the process
    // (a voice sample, another screen reading aloud). It does not count as finished, but it is
    // over: isSpeaking is false and nothing more will be reported for it.
    void speechInterrupted();

private:
    struct MonitorToken
    {
        bool cancelled = false;
    };

    QString finalTranscriptText() const { return m_finalTranscript.value_or(QString()); }
    QString errorMessageText() const { return m_errorMessage.value_or(QString()); }

    void setTranscript(const QString &transcript);
    void setFinalTranscript(std::optional<QString> phrase);
    void setListening(bool listening);
    void setSpeaking(bool speaking);

    QCoro::Task<> runStart(QString locale, bool allowOnlineRecognition, quint64 session);
    bool stillStarting(quint64 session) const { return m_starting && m_session == session; }
    void failStart(const QString &message);

    vexa::voice::AudioTap makeTap(std::shared_ptr<vexa::voice::RecognitionRequest> request);
    vexa::voice::RecognitionHandler makeResultHandler();
    void noteVoiceActivity(quint64 session);
    void handleRecognition(quint64 session, std::optional<vexa::voice::RecognitionResult> result,
                           std::optional<vexa::voice::VoiceError> error);
    bool phraseSeemsComplete() const;
    static QCoro::Task<> monitorSilence(QPointer<VoiceService> self,
                                        std::shared_ptr<vexa::voice::VoiceClock> clock,
                                        std::shared_ptr<MonitorToken> token);

    static QCoro::Task<> speakWhenVoicesKnown(QPointer<VoiceService> self, quint64 request,
                                              QString text, QString language,
                                              QString pinnedIdentifier, float rate);
    void handleUtteranceEnd(vexa::voice::UtteranceId id, vexa::voice::UtteranceEnd end);

    VoicePlatform m_platform;

    QString m_transcript;
    std::optional<QString> m_finalTranscript;
    bool m_isListening = false;
    bool m_isSpeaking = false;
    int m_speechFinishedCount = 0;
    std::optional<QString> m_errorMessage;

    std::shared_ptr<vexa::voice::RecognitionRequest> m_recognitionRequest;
    std::unique_ptr<vexa::voice::RecognitionTask> m_recognitionTask;
    bool m_tapInstalled = false;
    std::shared_ptr<MonitorToken> m_silenceMonitor;
    TimePoint m_lastVoiceActivity;
    TimePoint m_lastTranscriptUpdate;
    bool m_hasRecognizedSpeech = false;
    bool m_phraseHeld = false;
    // Let go before any words were recognised: the phrase ends when the text settles.
    bool m_endOnWords = false;

    // A start between its first step and listening (permission waits included).
    bool m_starting = false;
    // Grows with every stop: results, level reports and starts of an older session are ignored.
    quint64 m_session = 0;

    // Grows with every speak and stop; a voice lookup for an older request speaks nothing.
    quint64 m_speechRequest = 0;
    vexa::voice::UtteranceId m_currentUtterance = 0;
};

} // namespace vexa::voice
