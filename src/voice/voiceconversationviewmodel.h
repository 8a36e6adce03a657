#pragma once

#include "voicepreferences.h"
#include "voiceservice.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>
#include <optional>

namespace vexa {
class VexaClient;
}

namespace vexa::voice {

// The hands-free conversation: listen until the phrase ends, send it with the fast model the
// service recommends, speak the answer, listen again. The view-model owns the loop; the sheet
// only shows its state and calls the commands.
//
// Closing the sheet (disappear) ends the conversation for good as far as running work is
// concerned: every coroutine carries the visit it was started in and stops touching the
// microphone, the speaker and the service as soon as that visit is over.
class VoiceConversationViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(vexa::voice::VoiceService *voice READ voice CONSTANT)
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)
    Q_PROPERTY(bool processing READ processing NOTIFY processingChanged)
    Q_PROPERTY(bool paused READ paused NOTIFY pausedChanged)
    Q_PROPERTY(QString lastAnswer READ lastAnswer NOTIFY lastAnswerChanged)
    Q_PROPERTY(bool showingVoices READ showingVoices WRITE setShowingVoices NOTIFY showingVoicesChanged)
    Q_PROPERTY(QString selectedModel READ selectedModelText NOTIFY modelChanged)
    Q_PROPERTY(QString selectedModelTitle READ selectedModelTitle NOTIFY modelChanged)
    Q_PROPERTY(QString modelReason READ modelReason NOTIFY modelChanged)
    Q_PROPERTY(bool choosingModel READ choosingModel NOTIFY choosingModelChanged)
    Q_PROPERTY(bool modelAvailable READ modelAvailable NOTIFY modelAvailableChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusChanged)
    Q_PROPERTY(bool canSendPhrase READ canSendPhrase NOTIFY statusChanged)
    Q_PROPERTY(bool mainButtonEnabled READ mainButtonEnabled NOTIFY statusChanged)
    // Space is held down for push-to-talk.
    Q_PROPERTY(bool holdingToTalk READ holdingToTalk NOTIFY holdingToTalkChanged)

public:
    using VoiceFactory = std::function<VoicePlatform()>;

    // The application's client, the system's voice parts and preferences.
    explicit VoiceConversationViewModel(QObject *parent = nullptr);
    // Tests and tools: another client, other voice parts, preferences in an INI file.
    VoiceConversationViewModel(vexa::VexaClient *client, VoicePlatform platform,
                               const QString &preferencesPath, QObject *parent = nullptr);
    ~VoiceConversationViewModel() override;

    VoiceService *voice() { return m_voice.get(); }
    bool active() const { return m_active; }
    bool processing() const { return m_processing; }
    bool paused() const { return m_paused; }
    QString lastAnswer() const { return m_lastAnswer; }
    bool showingVoices() const { return m_showingVoices; }
    // Opening the voice library over a running conversation pauses it (a sample would cut the
    // answer short and the microphone would hear it); closing the library resumes listening.
    void setShowingVoices(bool showing);
    const std::optional<QString> &selectedModel() const { return m_selectedModel; }
    QString selectedModelText() const { return m_selectedModel.value_or(QString()); }
    QString selectedModelTitle() const { return m_selectedModelTitle; }
    QString modelReason() const { return m_modelReason; }
    bool choosingModel() const { return m_choosingModel; }
    bool modelAvailable() const;
    QString statusText() const;
    bool canSendPhrase() const;
    bool mainButtonEnabled() const;

    // The sheet was shown: fresh account data, then the recommended model.
    Q_INVOKABLE void appear();
    // The sheet went away: nothing listens, speaks or sends for this visit any more.
    Q_INVOKABLE void disappear();
    Q_INVOKABLE void refreshModelChoice();
    // "Начать разговор" / "Завершить разговор".
    Q_INVOKABLE void toggleConversation();
    Q_INVOKABLE void sendRecognizedPhrase();
    // The talk key (Space) from the keyboard. Pressed while the answer is spoken: the speech
    // stops and listening starts at once (the answer stays on screen). Pressed while listening:
    // push-to-talk, the phrase ends when the key is released rather than at a pause.
    Q_INVOKABLE void talkKeyPressed();
    Q_INVOKABLE void talkKeyReleased();
    bool holdingToTalk() const { return m_holdingToTalk; }

    // For tests and tools: the work the commands start, awaitable.
    QCoro::Task<> refreshThenChoose();
    QCoro::Task<> chooseFastModel();
    QCoro::Task<> startConversation();

Q_SIGNALS:
    void activeChanged();
    void processingChanged();
    void pausedChanged();
    void lastAnswerChanged();
    void showingVoicesChanged();
    void modelChanged();
    void choosingModelChanged();
    void modelAvailableChanged();
    void statusChanged();
    void holdingToTalkChanged();
    // A phrase was completed while another was still being answered and was not sent.
    void phraseDropped(const QString &phrase);

private:
    void wire();
    void setActive(bool active);
    void setProcessing(bool processing);
    void setPaused(bool paused);
    void setChoosingModel(bool choosing);
    void setHoldingToTalk(bool holding);
    void stopVoice();
    void listenAgain();
    void onPhrase();
    void onSpeechOver();
    bool current(quint64 visit) const { return visit == m_visit; }
    QString pinnedVoice(const QString &locale) const;
    QCoro::Task<> takeTurn(QString phrase, quint64 visit);
    QCoro::Task<> resumeListening(quint64 visit);

    QPointer<vexa::VexaClient> m_client;
    std::unique_ptr<VoicePreferences> m_preferences;
    std::unique_ptr<VoiceService> m_voice;
    bool m_active = false;
    bool m_processing = false;
    bool m_paused = false;
    QString m_lastAnswer;
    bool m_showingVoices = false;
    std::optional<QString> m_selectedModel;
    QString m_selectedModelTitle;
    QString m_modelReason;
    bool m_choosingModel = false;
    bool m_lastModelAvailable = false;
    bool m_holdingToTalk = false;
    // Grows with every close: work started in an earlier visit ends without effects.
    quint64 m_visit = 0;
};

} // namespace vexa::voice
