#pragma once

// The profile screen's state and rules. ProfileView.qml lays it out and binds to it. The account
// (who, tariff, limits, statistics, bonus, referral, answer settings) is read from the client's
// state; the device settings live in the shared preference stores that the chat and the voice
// parts read too; the screen owns only its sheets, its confirmations, its answer-setting
// choices and the voice that speaks the sample.

#include "chatpreferences.h"
#include "effectspreferences.h"
#include "notificationpreferences.h"
#include "profileplatform.h"
#include "profilerules.h"
#include "vexaclient.h"
#include "vexavoicecatalog.h"
#include "voicepreferences.h"
#include "voiceservice.h"

#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

namespace vexa::account {
class ProfileSettingsQueue;
}

namespace vexa {

class ProfileViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(vexa::VexaClient *client READ client WRITE setClient NOTIFY clientChanged)

    // Account, limits, activity, bonus: all follow the client's state.
    Q_PROPERTY(QString displayName READ displayName NOTIFY accountChanged)
    Q_PROPERTY(QString usernameLine READ usernameLine NOTIFY accountChanged)
    Q_PROPERTY(QString tariffLine READ tariffLine NOTIFY accountChanged)
    Q_PROPERTY(QVariantList limitRows READ limitRows NOTIFY accountChanged)
    Q_PROPERTY(bool hasExpiry READ hasExpiry NOTIFY accountChanged)
    Q_PROPERTY(QString expiryLabel READ expiryLabel NOTIFY accountChanged)
    Q_PROPERTY(QVariantList activityRows READ activityRows NOTIFY accountChanged)
    Q_PROPERTY(bool bonusClaimed READ bonusClaimed NOTIFY accountChanged)
    Q_PROPERTY(QString referralLink READ referralLink NOTIFY accountChanged)
    Q_PROPERTY(bool claiming READ claiming NOTIFY claimingChanged)

    // Answer settings.
    Q_PROPERTY(QVariantList lengthChoices READ lengthChoices CONSTANT)
    Q_PROPERTY(QVariantList creativityChoices READ creativityChoices CONSTANT)
    Q_PROPERTY(QString selectedLength READ selectedLength NOTIFY selectedLengthChanged)
    Q_PROPERTY(QString selectedCreativity READ selectedCreativity NOTIFY selectedCreativityChanged)

    // Voice and dictation.
    Q_PROPERTY(QVariantList speechLanguageChoices READ speechLanguageChoices CONSTANT)
    Q_PROPERTY(QString voiceLocale READ voiceLocale WRITE setVoiceLocale NOTIFY voiceLocaleChanged)
    Q_PROPERTY(QString voiceCaption READ voiceCaption NOTIFY voiceCaptionChanged)
    Q_PROPERTY(bool autoSpeak READ autoSpeak WRITE setAutoSpeak NOTIFY autoSpeakChanged)
    Q_PROPERTY(double voiceRate READ voiceRate WRITE setVoiceRate NOTIFY voiceRateChanged)
    Q_PROPERTY(bool allowOnlineSpeech READ allowOnlineSpeech WRITE setAllowOnlineSpeech NOTIFY allowOnlineSpeechChanged)
    Q_PROPERTY(bool previewSpeaking READ previewSpeaking NOTIFY previewSpeakingChanged)
    Q_PROPERTY(QString voiceLibraryButton READ voiceLibraryButton CONSTANT)
    Q_PROPERTY(bool offersCloudRecognition READ offersCloudRecognition CONSTANT)
    Q_PROPERTY(QString cloudRecognitionSwitch READ cloudRecognitionSwitch CONSTANT)
    Q_PROPERTY(QString voiceSettingsCaption READ voiceSettingsCaption CONSTANT)

    // Look and feel.
    Q_PROPERTY(double chatTextSize READ chatTextSize WRITE setChatTextSize NOTIFY chatTextSizeChanged)
    Q_PROPERTY(bool chatHaptics READ chatHaptics WRITE setChatHaptics NOTIFY chatHapticsChanged)
    Q_PROPERTY(bool reduceEffects READ reduceEffects WRITE setReduceEffects NOTIFY reduceEffectsChanged)
    Q_PROPERTY(bool notifyAnswers READ notifyAnswers WRITE setNotifyAnswers NOTIFY notifyAnswersChanged)

    // Sheets and confirmations.
    Q_PROPERTY(bool showingVoiceLibrary READ showingVoiceLibrary WRITE setShowingVoiceLibrary NOTIFY showingVoiceLibraryChanged)
    Q_PROPERTY(bool showingUtilities READ showingUtilities WRITE setShowingUtilities NOTIFY showingUtilitiesChanged)
    Q_PROPERTY(bool confirmClear READ confirmClear WRITE setConfirmClear NOTIFY confirmClearChanged)
    Q_PROPERTY(bool confirmSignOut READ confirmSignOut WRITE setConfirmSignOut NOTIFY confirmSignOutChanged)

public:
    using VoiceFactory = std::function<voice::VoicePlatform()>;

    // The desktop, the system's voices and the user's defaults store.
    explicit ProfileViewModel(QObject *parent = nullptr);
    // Tests: their own desktop, voice parts and an INI store.
    ProfileViewModel(std::shared_ptr<account::ProfilePlatform> platform, VoiceFactory voice,
                     const QString &preferencesIni, QObject *parent = nullptr);
    ~ProfileViewModel() override;

    VexaClient *client() const { return m_client; }
    void setClient(VexaClient *client);

    QString displayName() const;
    QString usernameLine() const;
    QString tariffLine() const;
    QVariantList limitRows() const;
    bool hasExpiry() const;
    QString expiryLabel() const;
    QVariantList activityRows() const;
    bool bonusClaimed() const;
    QString referralLink() const;
    bool claiming() const { return m_claiming; }

    static QVariantList lengthChoices();
    static QVariantList creativityChoices();
    QString selectedLength() const { return m_selectedLength; }
    QString selectedCreativity() const { return m_selectedCreativity; }

    static QVariantList speechLanguageChoices();
    QString voiceLocale() const { return m_voicePreferences->locale(); }
    void setVoiceLocale(const QString &locale) { m_voicePreferences->setLocale(locale); }
    QString voiceCaption() const;
    bool autoSpeak() const { return m_voicePreferences->autoSpeak(); }
    void setAutoSpeak(bool on) { m_voicePreferences->setAutoSpeak(on); }
    double voiceRate() const { return m_voicePreferences->rate(); }
    void setVoiceRate(double rate) { m_voicePreferences->setRate(rate); }
    bool allowOnlineSpeech() const { return m_voicePreferences->allowOnline(); }
    void setAllowOnlineSpeech(bool allow) { m_voicePreferences->setAllowOnline(allow); }
    bool previewSpeaking() const { return m_voicePreview && m_voicePreview->isSpeaking(); }
    static QString voiceLibraryButton();
    static bool offersCloudRecognition();
    static QString cloudRecognitionSwitch();
    static QString voiceSettingsCaption();

    double chatTextSize() const { return m_chatPreferences->textSize(); }
    void setChatTextSize(double points) { m_chatPreferences->setTextSize(points); }
    bool chatHaptics() const { return m_chatPreferences->haptics(); }
    void setChatHaptics(bool on) { m_chatPreferences->setHaptics(on); }
    bool reduceEffects() const { return m_effectsPreferences->reduceEffects(); }
    void setReduceEffects(bool reduce) { m_effectsPreferences->setReduceEffects(reduce); }
    bool notifyAnswers() const { return m_notificationPreferences->notifyAnswers(); }
    void setNotifyAnswers(bool on) { m_notificationPreferences->setNotifyAnswers(on); }

    bool showingVoiceLibrary() const { return m_showingVoiceLibrary; }
    void setShowingVoiceLibrary(bool showing);
    bool showingUtilities() const { return m_showingUtilities; }
    void setShowingUtilities(bool showing);
    bool confirmClear() const { return m_confirmClear; }
    void setConfirmClear(bool open);
    bool confirmSignOut() const { return m_confirmSignOut; }
    void setConfirmSignOut(bool open);

    // The screen is shown: the answer settings are read from the state (nothing is sent) and
    // the system's voices are listed for the caption.
    Q_INVOKABLE void appear();
    // The user picked an answer setting: shown at once, sent after any earlier choice.
    Q_INVOKABLE void chooseLength(const QString &value);
    Q_INVOKABLE void chooseCreativity(const QString &value);

    Q_INVOKABLE void claimBonus();
    Q_INVOKABLE void copyReferralLink();
    Q_INVOKABLE void playVoiceSample();
    Q_INVOKABLE void refreshProfile();
    Q_INVOKABLE void openBot();
    Q_INVOKABLE void openDownloads();
    // The confirmations' destructive buttons.
    Q_INVOKABLE void hideMessages();
    Q_INVOKABLE void signOut();

    // The voice that speaks the sample (made when the screen appears); tests watch it.
    voice::VoiceService *voicePreview() const { return m_voicePreview; }
    voice::VexaVoiceCatalog *voiceCatalog() const { return m_voiceCatalog; }

Q_SIGNALS:
    void clientChanged();
    void accountChanged();
    void claimingChanged();
    void selectedLengthChanged();
    void selectedCreativityChanged();
    void voiceLocaleChanged();
    void voiceCaptionChanged();
    void autoSpeakChanged();
    void voiceRateChanged();
    void allowOnlineSpeechChanged();
    void previewSpeakingChanged();
    void chatTextSizeChanged();
    void chatHapticsChanged();
    void reduceEffectsChanged();
    void notifyAnswersChanged();
    void showingVoiceLibraryChanged();
    void showingUtilitiesChanged();
    void confirmClearChanged();
    void confirmSignOutChanged();

private:
    const std::optional<VexaState> &currentState() const;
    void ensureVoice();
    void setClaiming(bool claiming);
    void setSelectedLength(const QString &value);
    void setSelectedCreativity(const QString &value);
    // Mirrors the state's answer settings, except one whose user choice is still being sent
    // or was taken by an answer that left the state out.
    void followStateSettings();
    static QCoro::Task<> runClaim(QPointer<ProfileViewModel> self, QPointer<VexaClient> client);

    std::shared_ptr<account::ProfilePlatform> m_platform;
    VoiceFactory m_voiceFactory;
    std::unique_ptr<voice::VoicePreferences> m_voicePreferences;
    std::unique_ptr<ChatPreferences> m_chatPreferences;
    std::unique_ptr<EffectsPreferences> m_effectsPreferences;
    std::unique_ptr<NotificationPreferences> m_notificationPreferences;
    QPointer<VexaClient> m_client;
    QList<QMetaObject::Connection> m_clientConnections;
    QPointer<account::ProfileSettingsQueue> m_settingsQueue;

    voice::VoiceService *m_voicePreview = nullptr;
    voice::VexaVoiceCatalog *m_voiceCatalog = nullptr;

    bool m_claiming = false;
    QString m_selectedLength = QStringLiteral("normal");
    QString m_selectedCreativity = QStringLiteral("balanced");
    bool m_showingVoiceLibrary = false;
    bool m_showingUtilities = false;
    bool m_confirmClear = false;
    bool m_confirmSignOut = false;
};

} // namespace vexa
