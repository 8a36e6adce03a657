// The profile screen's view-model against the in-process local service, with a fake desktop
// and fake voice parts: the bonus claim and its notices, answer settings sent only when the user
// chooses and in the order chosen, the voice sample, the shared preferences the chat follows,
// and the account actions (hide messages, sign out).

#include "awaittask.h"
#include "profilefixture.h"
#include "chatviewmodel.h"
#include "effectspreferences.h"
#include "profilesettingsqueue.h"
#include "profileviewmodel.h"
#include "servicestate.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using namespace vexa;
using namespace vexa::test;
using namespace vexa::voice;
using voice::VoiceInfo;
using voice::VoiceInventory;

namespace {

VoiceInfo installedVoice(const char *id, const char *name, const char *language, int quality)
{
    VoiceInfo info;
    info.identifier = QString::fromLatin1(id);
    info.name = QString::fromLatin1(name);
    info.language = QString::fromLatin1(language);
    info.quality = quality;
    return info;
}

VoiceInventory sampleVoices()
{
    return VoiceInventory({installedVoice("ru.milena", "Milena", "ru-RU", 1),
                           installedVoice("ru.katya", "Katya", "ru-RU", 3),
                           installedVoice("en.samantha", "Samantha", "en-US", 2)},
                          {{"ru-RU", "ru.milena"}, {"en-US", "en.samantha"}});
}

QByteArray settingsReply(const char *length, const char *creativity)
{
    return QByteArray(R"({"ok":true,"state":{"user":{"user_id":424242},"settings":{"response_length":")")
        + length + R"(","creativity":")" + creativity + R"("}}})";
}

} // namespace

class ProfileViewModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void claimBonus_data();
    void claimBonus();
    void claimIsNotRepeatedWhileRunning();
    void appearingSendsNothing();
    void choicesReachTheServiceInOrder();
    void onlyRealChoicesAreSent_data();
    void onlyRealChoicesAreSent();
    void choiceOutlivesTheScreen();
    void choiceKeptUntilAStateSaysOtherwise();
    void voiceSample_data();
    void voiceSample();
    void sampleStopsWhatIsBeingSaid();
    void captionWaitsForTheListing_data();
    void captionWaitsForTheListing();
    void chatFollowsTextSizeAtOnce();
    void referralLinkAndAddresses();
    void hideMessagesSendsNothing();
    void signOutRemovesTheCookie();

private:
    std::unique_ptr<ProfileViewModel> makeView()
    {
        auto view = std::make_unique<ProfileViewModel>(m_platform, m_voice->factory(), m_ini);
        view->setClient(m_ops->client.get());
        return view;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_ini;
    std::unique_ptr<OpsFixture> m_ops;
    std::shared_ptr<FakeProfilePlatform> m_platform;
    std::unique_ptr<FakeVoice> m_voice;
};

void ProfileViewModelTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void ProfileViewModelTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_ini = m_dir->filePath(QStringLiteral("preferences.ini"));
    m_ops = std::make_unique<OpsFixture>();
    QVERIFY(m_ops->restore());
    m_platform = std::make_shared<FakeProfilePlatform>();
    m_voice = std::make_unique<FakeVoice>();
    m_voice->synthesizer->inventory = sampleVoices();
}

void ProfileViewModelTest::cleanup()
{
    m_ops.reset();
    m_voice.reset();
    m_platform.reset();
    m_dir.reset();
}

void ProfileViewModelTest::claimBonus_data()
{
    QTest::addColumn<int>("status");     // 0: the service's own endpoint
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<bool>("claimed");

    QTest::newRow("the service's message and state")
        << 0 << QByteArray() << "Ежедневный бонус получен: +5 бонусных запросов." << true;
    QTest::newRow("a reply without a message")
        << 200 << QByteArray(R"({"ok":true})") << "Бонус получен." << false;
    QTest::newRow("refused: the service's text, state unchanged")
        << 409 << QByteArray(R"({"ok":false,"error":"Сегодняшний бонус уже получен."})")
        << "Сегодняшний бонус уже получен." << false;
    QTest::newRow("ok false: the service's text, not a success")
        << 200 << QByteArray(R"({"ok":false,"error":"Бонусы временно недоступны.","state":{"daily_bonus":{"claimed":true}}})")
        << "Бонусы временно недоступны." << false;
}

void ProfileViewModelTest::claimBonus()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    if (status != 0)
        m_ops->script("POST", QStringLiteral("/api/bonus/claim"), status, body);
    auto view = makeView();
    QVERIFY(!view->bonusClaimed());
    QSignalSpy account(view.get(), &ProfileViewModel::accountChanged);

    view->claimBonus();
    QVERIFY(waitUntil([&] { return !view->claiming(); }));
    QTEST(m_ops->client->noticeText(), "notice");
    QTEST(view->bonusClaimed(), "claimed");
    QCOMPARE(account.size() > 0, view->bonusClaimed());
    QCOMPARE(m_ops->lastBody(QStringLiteral("/api/bonus/claim")), QJsonObject());
    QCOMPARE(m_ops->service.requests(QStringLiteral("/api/bonus/claim")).constLast().method,
             QByteArray("POST"));
}

void ProfileViewModelTest::claimIsNotRepeatedWhileRunning()
{
    // A second press while the first runs would bring "already claimed" over the confirmation.
    m_ops->script("POST", QStringLiteral("/api/bonus/claim"), 200,
                  R"({"ok":true,"message":"Начислено."})", 200);
    auto view = makeView();
    view->claimBonus();
    QVERIFY(view->claiming());
    view->claimBonus();
    QVERIFY(waitUntil([&] { return !view->claiming(); }));
    QCOMPARE(m_ops->count(QStringLiteral("/api/bonus/claim")), 1);
    QCOMPARE(m_ops->client->noticeText(), QStringLiteral("Начислено."));
}

void ProfileViewModelTest::appearingSendsNothing()
{
    // The service holds other values than the screen's defaults; showing the screen copies them
    // and must not send them back (a stale copy would overwrite a newer choice).
    m_ops->service.state().settings.responseLength = QStringLiteral("detailed");
    m_ops->service.state().settings.creativity = QStringLiteral("creative");
    QVERIFY(awaitVoid(m_ops->client->refresh()));

    auto view = makeView();
    view->appear();
    QCOMPARE(view->selectedLength(), QStringLiteral("detailed"));
    QCOMPARE(view->selectedCreativity(), QStringLiteral("creative"));

    // A newer value arriving with a refresh is shown, and not sent either.
    m_ops->service.state().settings.responseLength = QStringLiteral("short");
    QVERIFY(awaitVoid(m_ops->client->refresh()));
    QCOMPARE(view->selectedLength(), QStringLiteral("short"));

    auto again = makeView();
    again->appear();
    QTest::qWait(vexa::test::scaledMs(150));
    QCOMPARE(m_ops->count(QStringLiteral("/api/settings/update")), 0);
}

void ProfileViewModelTest::choicesReachTheServiceInOrder()
{
    // Slow replies, each with the state as of its own request.
    const QString path = QStringLiteral("/api/settings/update");
    // The replies' delay stretches with the wait below that must stay shorter than it.
    const int delay = vexa::test::scaledMs(150);
    m_ops->script("POST", path, 200, settingsReply("short", "balanced"), delay, 1);
    m_ops->script("POST", path, 200, settingsReply("short", "creative"), delay, 1);
    m_ops->script("POST", path, 200, settingsReply("detailed", "creative"), delay, 1);
    auto view = makeView();
    view->appear();

    view->chooseLength(QStringLiteral("short"));
    view->chooseCreativity(QStringLiteral("creative"));
    view->chooseLength(QStringLiteral("detailed"));
    QCOMPARE(view->selectedLength(), QStringLiteral("detailed"));

    // One at a time: the next leaves only when the previous is answered.
    QVERIFY(waitUntil([&] { return m_ops->count(path) == 1; }));
    QTest::qWait(vexa::test::scaledMs(60));
    QCOMPARE(m_ops->count(path), 1);
    QVERIFY(waitUntil([&] { return m_ops->count(path) == 2; }));
    // The first reply's state (length "short") does not undo the later choice on screen.
    QCOMPARE(view->selectedLength(), QStringLiteral("detailed"));
    QCOMPARE(view->selectedCreativity(), QStringLiteral("creative"));

    auto *queue = account::ProfileSettingsQueue::forClient(m_ops->client.get());
    QVERIFY(waitUntil([&] { return m_ops->count(path) == 3 && queue->isIdle(); }));
    const auto requests = m_ops->service.requests(path);
    QStringList bodies;
    for (const auto &request : requests)
        bodies << QString::fromUtf8(request.body);
    QCOMPARE(bodies, (QStringList{R"({"response_length":"short"})", R"({"creativity":"creative"})",
                                  R"({"response_length":"detailed"})"}));
    QCOMPARE(view->selectedLength(), QStringLiteral("detailed"));
    QCOMPARE(view->selectedCreativity(), QStringLiteral("creative"));
}

void ProfileViewModelTest::onlyRealChoicesAreSent_data()
{
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("creativity");
    QTest::addColumn<int>("sent");

    QTest::newRow("the value already shown") << "normal" << "balanced" << 0;
    QTest::newRow("values the service does not know") << "verbose" << "wild" << 0;
    QTest::newRow("a new length") << "short" << "balanced" << 1;
    QTest::newRow("both") << "detailed" << "precise" << 2;
}

void ProfileViewModelTest::onlyRealChoicesAreSent()
{
    QFETCH(QString, length);
    QFETCH(QString, creativity);
    auto view = makeView();
    view->appear();
    view->chooseLength(length);
    view->chooseCreativity(creativity);
    auto *queue = account::ProfileSettingsQueue::forClient(m_ops->client.get());
    QVERIFY(waitUntil([&] { return queue->isIdle(); }));
    QTest::qWait(vexa::test::scaledMs(50));
    QTEST(int(m_ops->count(QStringLiteral("/api/settings/update"))), "sent");
    if (view->selectedLength() == length)
        QCOMPARE(m_ops->service.state().settings.responseLength, length);
}

void ProfileViewModelTest::choiceOutlivesTheScreen()
{
    m_ops->script("POST", QStringLiteral("/api/settings/update"), 200,
                  settingsReply("normal", "balanced"), 100, 1);
    {
        auto view = makeView();
        view->appear();
        view->chooseCreativity(QStringLiteral("precise"));
        view->chooseLength(QStringLiteral("short"));
    } // the section changes before the service answered
    auto *queue = account::ProfileSettingsQueue::forClient(m_ops->client.get());
    QVERIFY(waitUntil([&] { return queue->isIdle(); }));
    QCOMPARE(m_ops->count(QStringLiteral("/api/settings/update")), 2);
    QCOMPARE(m_ops->service.state().settings.responseLength, QStringLiteral("short"));
}

void ProfileViewModelTest::choiceKeptUntilAStateSaysOtherwise()
{
    // The service applies the change but answers without the state.
    m_ops->service.state().settingsReplyCarriesState = false;
    auto view = makeView();
    view->appear();
    auto *queue = account::ProfileSettingsQueue::forClient(m_ops->client.get());
    view->chooseLength(QStringLiteral("short"));
    QVERIFY(waitUntil([&] { return queue->isIdle(); }));
    QCOMPARE(m_ops->service.state().settings.responseLength, QStringLiteral("short"));
    QCOMPARE(view->selectedLength(), QStringLiteral("short"));
    // Another choice settling does not bring the old length back either.
    view->chooseCreativity(QStringLiteral("precise"));
    QVERIFY(waitUntil([&] { return queue->isIdle(); }));
    QCOMPARE(view->selectedLength(), QStringLiteral("short"));
    QCOMPARE(view->selectedCreativity(), QStringLiteral("precise"));
    // A screen shown anew shows the same.
    auto again = makeView();
    again->appear();
    QCOMPARE(again->selectedLength(), QStringLiteral("short"));

    // A refused choice goes back to what the account holds.
    m_ops->script("POST", QStringLiteral("/api/settings/update"), 500,
                  R"({"ok":false,"error":"Нет."})", 0, 1);
    view->chooseLength(QStringLiteral("detailed"));
    QVERIFY(waitUntil([&] { return queue->isIdle(); }));
    QCOMPARE(view->selectedLength(), QStringLiteral("short"));

    // The next state is the service's word: changed elsewhere, it wins.
    m_ops->service.state().settings.responseLength = QStringLiteral("normal");
    VEXA_AWAIT_VOID(m_ops->client->refresh());
    QCOMPARE(view->selectedLength(), QStringLiteral("normal"));
    QCOMPARE(view->selectedCreativity(), QStringLiteral("precise"));
}

void ProfileViewModelTest::voiceSample_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("russianPin");
    QTest::addColumn<QString>("englishPin");
    QTest::addColumn<double>("storedRate");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("voice");
    QTest::addColumn<float>("rate");
    QTest::addColumn<QString>("caption");

    const QString ru = QStringLiteral("Привет! Я Vexa AI. Так будет звучать мой голос.");
    const QString en = QStringLiteral("Hello! I'm Vexa AI. This is how my voice sounds.");
    QTest::newRow("Russian with its pinned voice")
        << "ru-RU" << "ru.milena" << "en.samantha" << 0.5 << ru << "ru.milena" << 0.5f << "Milena · ";
    QTest::newRow("English: the English pin and sentence")
        << "en-US" << "ru.milena" << "en.samantha" << 0.5 << en << "en.samantha" << 0.5f << "Samantha · ";
    QTest::newRow("a stored 0.9 speaks at 0.62")
        << "ru-RU" << "ru.milena" << "" << 0.9 << ru << "ru.milena" << 0.62f << "Milena · ";
    QTest::newRow("a stored 0.2 speaks at 0.4")
        << "ru-RU" << "ru.milena" << "" << 0.2 << ru << "ru.milena" << 0.4f << "Milena · ";
    QTest::newRow("no pin: the best voice of the language")
        << "ru-RU" << "" << "" << 0.55 << ru << "ru.katya" << float(0.55) << "Автоматически · Katya";
    QTest::newRow("a pin of another language: the best voice instead")
        << "ru-RU" << "en.samantha" << "" << 0.5 << ru << "ru.katya" << 0.5f
        << "Сохранённый голос недоступен.";
    QTest::newRow("a pin that is no longer installed")
        << "en-US" << "" << "en.gone" << 0.5 << en << "en.samantha" << 0.5f
        << "Сохранённый голос недоступен.";
}

void ProfileViewModelTest::voiceSample()
{
    QFETCH(QString, locale);
    QFETCH(QString, russianPin);
    QFETCH(QString, englishPin);
    QFETCH(double, storedRate);
    VoicePreferences preferences(m_ini);
    preferences.setRussianVoiceID(russianPin);
    preferences.setEnglishVoiceID(englishPin);
    auto view = makeView();
    view->appear();
    view->setVoiceLocale(locale);
    view->setVoiceRate(storedRate);
    QVERIFY(waitUntil([&] { return view->voiceCatalog()->count() == 3; }));
    QFETCH(QString, caption);
    QVERIFY2(view->voiceCaption().startsWith(caption), qPrintable(view->voiceCaption()));

    view->playVoiceSample();
    QVERIFY(view->previewSpeaking());
    QVERIFY(waitUntil([&] { return m_voice->synthesizer->spoken.size() == 1; }));
    const voice::Utterance &spoken = m_voice->synthesizer->spoken.front();
    QTEST(spoken.text, "text");
    QTEST(spoken.voiceIdentifier, "voice");
    QTEST(spoken.rate, "rate");
    QCOMPARE(spoken.language, locale);
    // The stored value itself is left as it was written.
    QCOMPARE(view->voiceRate(), storedRate);
}

void ProfileViewModelTest::captionWaitsForTheListing_data()
{
    QTest::addColumn<QString>("pin");
    QTest::addColumn<QString>("listed");

    QTest::newRow("an installed pin") << "ru.milena" << "Milena · ";
    QTest::newRow("a pin that is gone") << "ru.gone" << "Сохранённый голос недоступен.";
}

void ProfileViewModelTest::captionWaitsForTheListing()
{
    QFETCH(QString, pin);
    VoicePreferences(m_ini).setRussianVoiceID(pin);
    m_voice->synthesizer->holdListings = true;
    auto view = makeView();
    const auto unavailable = [&] { return view->voiceCaption().contains(QStringLiteral("недоступен")); };
    QVERIFY2(!unavailable(), qPrintable(view->voiceCaption())); // not even shown yet
    view->appear();
    QVERIFY(waitUntil([&] { return m_voice->synthesizer->listings > 0; }));
    QVERIFY2(!unavailable(), qPrintable(view->voiceCaption()));
    QCOMPARE(view->voiceCaption(), QStringLiteral("Загружаем список голосов…"));

    m_voice->synthesizer->listingGate.release();
    QVERIFY(waitUntil([&] { return view->voiceCatalog()->filled(); }));
    QFETCH(QString, listed);
    QVERIFY2(view->voiceCaption().startsWith(listed), qPrintable(view->voiceCaption()));
}

void ProfileViewModelTest::sampleStopsWhatIsBeingSaid()
{
    auto view = makeView();
    view->appear();
    view->playVoiceSample();
    QVERIFY(waitUntil([&] { return m_voice->synthesizer->playing(); }));
    const int stopsBefore = m_voice->synthesizer->stops;
    view->playVoiceSample();
    QCOMPARE(m_voice->synthesizer->stops, stopsBefore + 1);
    QVERIFY(waitUntil([&] { return m_voice->synthesizer->spoken.size() == 2; }));
    m_voice->synthesizer->finishCurrent();
    QVERIFY(waitUntil([&] { return !view->previewSpeaking(); }));
}

void ProfileViewModelTest::chatFollowsTextSizeAtOnce()
{
    ChatViewModel chatView(chat::ChatPlatform::system(), m_voice->factory(), m_ini);
    EffectsPreferences backdrop(m_ini);
    QSignalSpy chatSize(&chatView, &ChatViewModel::textSizeChanged);
    QSignalSpy effects(&backdrop, &EffectsPreferences::reduceEffectsChanged);
    auto view = makeView();
    QCOMPARE(view->chatTextSize(), 17.0);
    QVERIFY(view->reduceEffects());

    view->setChatTextSize(21);
    QCOMPARE(chatSize.size(), 1);
    QCOMPARE(chatView.textSize(), 21.0);
    view->setChatTextSize(30); // past the slider's end: the chat stays readable
    QCOMPARE(chatView.textSize(), 24.0);

    view->setReduceEffects(false);
    QCOMPARE(effects.size(), 1);
    QVERIFY(!backdrop.reduceEffects());

    // A change made elsewhere shows on the profile too.
    QSignalSpy profileSize(view.get(), &ProfileViewModel::chatTextSizeChanged);
    ChatPreferences(m_ini).setTextSize(15);
    QCOMPARE(profileSize.size(), 1);
    QCOMPARE(view->chatTextSize(), 15.0);
}

void ProfileViewModelTest::referralLinkAndAddresses()
{
    auto view = makeView();
    const QString link = m_ops->service.state().referralLink;
    QCOMPARE(view->referralLink(), link);
    view->copyReferralLink();
    QCOMPARE(m_platform->copied, QStringList{link});
    QCOMPARE(m_ops->client->noticeText(), QStringLiteral("Реферальная ссылка скопирована."));

    view->openBot();
    view->openDownloads();
    QCOMPARE(m_platform->opened,
             (QList<QUrl>{VexaClient::telegramURL(),
                          m_ops->service.baseUrl().resolved(QUrl(QStringLiteral("/downloads.html")))}));
}

void ProfileViewModelTest::hideMessagesSendsNothing()
{
    QVERIFY(!m_ops->client->entries().isEmpty());
    const auto before = m_ops->service.requests().size();
    auto view = makeView();
    view->setConfirmClear(true);
    view->hideMessages();
    QVERIFY(!view->confirmClear());
    QVERIFY(m_ops->client->entries().isEmpty());
    QVERIFY(m_ops->client->isSignedIn());
    QTest::qWait(vexa::test::scaledMs(50));
    QCOMPARE(m_ops->service.requests().size(), before);
}

void ProfileViewModelTest::signOutRemovesTheCookie()
{
    const QUrl origin = m_ops->service.baseUrl();
    QVERIFY(!m_ops->client->cookieJar()->cookiesForUrl(origin).isEmpty());
    auto view = makeView();
    view->setConfirmSignOut(true);
    view->signOut();
    QVERIFY(!view->confirmSignOut());
    QVERIFY(!m_ops->client->isSignedIn());
    QVERIFY(m_ops->client->cookieJar()->cookiesForUrl(origin).isEmpty());
    QFile stored(m_ops->client->cookieJar()->filePath());
    if (stored.open(QIODevice::ReadOnly))
        QVERIFY(!stored.readAll().contains(service::LocalService::cookieName()));
    // The account's texts fall back at once.
    QCOMPARE(view->displayName(), QStringLiteral("Пользователь"));
    QCOMPARE(view->tariffLine(), QStringLiteral("Тариф: Free"));
}

QTEST_MAIN(ProfileViewModelTest)

#include "tst_profileviewmodel.moc"
