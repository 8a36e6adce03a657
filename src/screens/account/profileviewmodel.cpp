#include "profileviewmodel.h"

#include "detachedtask.h"
#include "platformtexts.h"
#include "profilesettingsqueue.h"

#include <algorithm>

namespace vexa {

namespace {

QVariantList rowsForQml(const QList<account::MetricRow> &rows)
{
    QVariantList list;
    for (const account::MetricRow &row : rows)
        list.append(QVariantMap{{QStringLiteral("title"), row.title},
                                {QStringLiteral("value"), row.value}});
    return list;
}

QVariantList choicesForQml(const QList<account::Choice> &choices)
{
    QVariantList list;
    for (const account::Choice &choice : choices)
        list.append(QVariantMap{{QStringLiteral("value"), choice.value},
                                {QStringLiteral("label"), choice.label}});
    return list;
}

bool isOffered(const QList<account::Choice> &choices, const QString &value)
{
    return std::any_of(choices.cbegin(), choices.cend(),
                       [&value](const account::Choice &choice) { return choice.value == value; });
}

QString claimPath()
{
    return QStringLiteral("/api/bonus/claim");
}

QByteArray postMethod()
{
    return QByteArrayLiteral("POST");
}

} // namespace

ProfileViewModel::ProfileViewModel(QObject *parent)
    : ProfileViewModel(account::ProfilePlatform::system(), &voice::VoicePlatform::system, QString(), parent)
{
}

ProfileViewModel::ProfileViewModel(std::shared_ptr<account::ProfilePlatform> platform,
                                   VoiceFactory voice, const QString &preferencesIni,
                                   QObject *parent)
    : QObject(parent),
      m_platform(std::move(platform)),
      m_voiceFactory(std::move(voice)),
      m_voicePreferences(std::make_unique<voice::VoicePreferences>(preferencesIni)),
      m_chatPreferences(std::make_unique<ChatPreferences>(preferencesIni)),
      m_effectsPreferences(std::make_unique<EffectsPreferences>(preferencesIni)),
      m_notificationPreferences(std::make_unique<NotificationPreferences>(preferencesIni))
{
    voice::VoicePreferences *preferences = m_voicePreferences.get();
    connect(preferences, &voice::VoicePreferences::localeChanged, this, &ProfileViewModel::voiceLocaleChanged);
    connect(preferences, &voice::VoicePreferences::autoSpeakChanged, this, &ProfileViewModel::autoSpeakChanged);
    connect(preferences, &voice::VoicePreferences::rateChanged, this, &ProfileViewModel::voiceRateChanged);
    connect(preferences, &voice::VoicePreferences::allowOnlineChanged, this,
            &ProfileViewModel::allowOnlineSpeechChanged);
    // The caption names the voice of the chosen language; the library may pin another.
    connect(preferences, &voice::VoicePreferences::localeChanged, this, &ProfileViewModel::voiceCaptionChanged);
    connect(preferences, &voice::VoicePreferences::russianVoiceIDChanged, this,
            &ProfileViewModel::voiceCaptionChanged);
    connect(preferences, &voice::VoicePreferences::englishVoiceIDChanged, this,
            &ProfileViewModel::voiceCaptionChanged);
    connect(m_chatPreferences.get(), &ChatPreferences::textSizeChanged, this,
            &ProfileViewModel::chatTextSizeChanged);
    connect(m_chatPreferences.get(), &ChatPreferences::hapticsChanged, this,
            &ProfileViewModel::chatHapticsChanged);
    connect(m_effectsPreferences.get(), &EffectsPreferences::reduceEffectsChanged, this,
            &ProfileViewModel::reduceEffectsChanged);
    connect(m_notificationPreferences.get(), &NotificationPreferences::notifyAnswersChanged, this,
            &ProfileViewModel::notifyAnswersChanged);
    setClient(VexaClient::shared());
}

ProfileViewModel::~ProfileViewModel() = default;

void ProfileViewModel::setClient(VexaClient *client)
{
    if (m_client == client)
        return;
    for (const auto &connection : std::as_const(m_clientConnections))
        disconnect(connection);
    m_clientConnections.clear();
    if (m_settingsQueue)
        m_settingsQueue->disconnect(this);
    m_client = client;
    m_settingsQueue = account::ProfileSettingsQueue::forClient(client);
    if (client) {
        m_clientConnections = {
            connect(client, &VexaClient::stateChanged, this, &ProfileViewModel::accountChanged),
            connect(client, &VexaClient::stateChanged, this,
                    &ProfileViewModel::followStateSettings),
        };
        connect(m_settingsQueue, &account::ProfileSettingsQueue::settled, this,
                &ProfileViewModel::followStateSettings);
    }
    Q_EMIT clientChanged();
    Q_EMIT accountChanged();
}

// ---- Account ----

namespace {
const std::optional<VexaState> &noState()
{
    static const std::optional<VexaState> none;
    return none;
}
} // namespace

const std::optional<VexaState> &ProfileViewModel::currentState() const
{
    return m_client ? m_client->state() : noState();
}

QString ProfileViewModel::displayName() const { return account::displayName(currentState()); }
QString ProfileViewModel::usernameLine() const { return account::usernameLine(currentState()); }
QString ProfileViewModel::tariffLine() const { return account::tariffLine(currentState()); }
QVariantList ProfileViewModel::limitRows() const { return rowsForQml(account::limitRows(currentState())); }
bool ProfileViewModel::hasExpiry() const { return account::expiresLabel(currentState()).has_value(); }
QString ProfileViewModel::expiryLabel() const { return account::expiresLabel(currentState()).value_or(QString()); }
QVariantList ProfileViewModel::activityRows() const { return rowsForQml(account::activityRows(currentState())); }
bool ProfileViewModel::bonusClaimed() const { return account::bonusClaimedToday(currentState()); }
QString ProfileViewModel::referralLink() const { return account::referralLink(currentState()); }

void ProfileViewModel::setClaiming(bool claiming)
{
    if (m_claiming == claiming)
        return;
    m_claiming = claiming;
    Q_EMIT claimingChanged();
}

void ProfileViewModel::claimBonus()
{
    // One claim at a time: a second press would only bring the service's refusal, which would
    // replace the first one's confirmation.
    if (m_claiming || !m_client)
        return;
    setClaiming(true);
    detach(runClaim(QPointer<ProfileViewModel>(this), m_client));
}

QCoro::Task<> ProfileViewModel::runClaim(QPointer<ProfileViewModel> self,
                                         QPointer<VexaClient> client)
{
    auto reply = co_await client->request(claimPath(), QJsonObject(), postMethod());
    // The account learns the outcome even when the screen was closed meanwhile.
    if (client) {
        if (reply) {
            client->applyReplyState(*reply);
            client->showNotice(account::claimNotice(*reply));
        } else {
            client->showNotice(describe(reply.error()));
        }
    }
    if (self)
        self->setClaiming(false);
}

void ProfileViewModel::copyReferralLink()
{
    const QString link = referralLink();
    if (link.isEmpty() || !m_client)
        return;
    m_platform->copyText(link);
    m_client->showNotice(account::referralCopiedNotice());
}

// ---- Answer settings ----

QVariantList ProfileViewModel::lengthChoices()
{
    return choicesForQml(account::lengthChoices());
}

QVariantList ProfileViewModel::creativityChoices()
{
    return choicesForQml(account::creativityChoices());
}

void ProfileViewModel::setSelectedLength(const QString &value)
{
    if (m_selectedLength == value)
        return;
    m_selectedLength = value;
    Q_EMIT selectedLengthChanged();
}

void ProfileViewModel::setSelectedCreativity(const QString &value)
{
    if (m_selectedCreativity == value)
        return;
    m_selectedCreativity = value;
    Q_EMIT selectedCreativityChanged();
}

void ProfileViewModel::appear()
{
    // Copying what the service holds is not a choice: nothing goes back to the service, where a
    // newer value may already be stored.
    followStateSettings();
    ensureVoice();
}

void ProfileViewModel::followStateSettings()
{
    const auto &state = currentState();
    const auto accepted = [this](const QString &name) {
        return m_settingsQueue ? m_settingsQueue->acceptedValue(name) : std::nullopt;
    };
    if (!m_settingsQueue || !m_settingsQueue->isPending(account::responseLengthSetting()))
        setSelectedLength(accepted(account::responseLengthSetting())
                              .value_or(account::selectedLength(state)));
    if (!m_settingsQueue || !m_settingsQueue->isPending(account::creativitySetting()))
        setSelectedCreativity(accepted(account::creativitySetting())
                                  .value_or(account::selectedCreativity(state)));
}

void ProfileViewModel::chooseLength(const QString &value)
{
    if (!m_settingsQueue || !isOffered(account::lengthChoices(), value) || value == m_selectedLength)
        return;
    setSelectedLength(value);
    m_settingsQueue->enqueue(account::responseLengthSetting(), value);
}

void ProfileViewModel::chooseCreativity(const QString &value)
{
    if (!m_settingsQueue || !isOffered(account::creativityChoices(), value)
        || value == m_selectedCreativity)
        return;
    setSelectedCreativity(value);
    m_settingsQueue->enqueue(account::creativitySetting(), value);
}

// ---- Voice ----

QVariantList ProfileViewModel::speechLanguageChoices()
{
    return choicesForQml(account::speechLanguageChoices());
}

void ProfileViewModel::ensureVoice()
{
    if (m_voicePreview)
        return;
    voice::VoicePlatform platform = m_voiceFactory();
    m_voiceCatalog = new voice::VexaVoiceCatalog(platform.synthesizer, this);
    connect(m_voiceCatalog, &voice::VexaVoiceCatalog::voicesChanged, this,
            &ProfileViewModel::voiceCaptionChanged);
    m_voicePreview = new voice::VoiceService(std::move(platform), this);
    connect(m_voicePreview, &voice::VoiceService::isSpeakingChanged, this,
            &ProfileViewModel::previewSpeakingChanged);
    Q_EMIT voiceCaptionChanged();
}

QString ProfileViewModel::voiceCaption() const
{
    const QString locale = voiceLocale();
    const QString pinned = account::pinnedVoiceFor(locale, m_voicePreferences->russianVoiceID(),
                                                   m_voicePreferences->englishVoiceID());
    // A pinned voice is judged only against a listing: before one has come in it would read
    // as unavailable.
    if (!pinned.isEmpty() && (!m_voiceCatalog || !m_voiceCatalog->filled()))
        return account::voicesListingText();
    const voice::VexaVoiceCatalog::VoiceInventory none;
    return voice::VexaVoiceCatalog::selectionTitle(m_voiceCatalog ? m_voiceCatalog->inventory() : none,
                                            pinned, locale);
}

void ProfileViewModel::playVoiceSample()
{
    ensureVoice();
    const QString locale = voiceLocale();
    const QString pinned = account::pinnedVoiceFor(locale, m_voicePreferences->russianVoiceID(),
                                                   m_voicePreferences->englishVoiceID());
    // Stops what is being said, picks the pinned voice when it speaks this language (else the
    // best one) and keeps the stored rate within 0.4 … 0.62.
    m_voicePreview->speak(account::voiceSample(locale), locale, pinned, voiceRate());
}

QString ProfileViewModel::voiceLibraryButton()
{
    return PlatformTexts::voiceLibraryButton();
}

bool ProfileViewModel::offersCloudRecognition()
{
    return PlatformTexts::offersCloudRecognition();
}

QString ProfileViewModel::cloudRecognitionSwitch()
{
    return PlatformTexts::cloudRecognitionSwitch();
}

QString ProfileViewModel::voiceSettingsCaption()
{
    return PlatformTexts::voiceSettingsCaption();
}

// ---- Account actions ----

void ProfileViewModel::refreshProfile()
{
    if (m_client)
        m_client->startRefresh();
}

void ProfileViewModel::openBot()
{
    m_platform->openExternally(VexaClient::telegramURL());
}

void ProfileViewModel::openDownloads()
{
    const QUrl address = account::downloadsAddress(m_client ? m_client->baseURL() : QUrl());
    if (!address.isEmpty())
        m_platform->openExternally(address);
}

void ProfileViewModel::hideMessages()
{
    setConfirmClear(false);
    if (m_client)
        m_client->clearEntries();
}

void ProfileViewModel::signOut()
{
    setConfirmSignOut(false);
    if (m_client)
        m_client->signOut();
}

void ProfileViewModel::setShowingVoiceLibrary(bool value)
{
    if (m_showingVoiceLibrary == value)
        return;
    m_showingVoiceLibrary = value;
    Q_EMIT showingVoiceLibraryChanged();
}

void ProfileViewModel::setShowingUtilities(bool value)
{
    if (m_showingUtilities == value)
        return;
    m_showingUtilities = value;
    Q_EMIT showingUtilitiesChanged();
}

void ProfileViewModel::setConfirmClear(bool value)
{
    if (m_confirmClear == value)
        return;
    m_confirmClear = value;
    Q_EMIT confirmClearChanged();
}

void ProfileViewModel::setConfirmSignOut(bool value)
{
    if (m_confirmSignOut == value)
        return;
    m_confirmSignOut = value;
    Q_EMIT confirmSignOutChanged();
}

} // namespace vexa
