// The conversation's turn loop over fake voice parts and the real local service: the model
// choice and what it enables, the status line, a phrase going out with the model override and
// the answer spoken, listening again after the answer (also when another speaker cut it off),
// phrases dropped during a turn, and nothing sent, spoken or heard after the sheet closes.
#include "answerblocks.h"
#include "awaittask.h"
#include "conversationrig.h"
#include "voicefakes.h"
#include "voicesamples.h"
#include "voicetexts.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace vexa;
using namespace vexa::test;
using namespace vexa::voice;
using namespace vexa::voice::fakes;
namespace texts = vexa::voice::texts;

namespace {

struct Fakes : FakeVoiceParts
{
    // Destroyed after whatever used them: a silence monitor still asleep then finds its owner
    // gone when woken, and ends.
    ~Fakes() { clock->advance(std::chrono::seconds(1)); }
};

struct Rig
{
    Fakes fakes;
    ConversationRig conversation{fakes.platform()};
    VoiceConversationViewModel &vm = *conversation.conversation;

    bool startTalking()
    {
        if (!conversation.restore() || !conversation.appear() || !vm.mainButtonEnabled())
            return false;
        vm.toggleConversation();
        return waitUntil([this] { return vm.voice()->isListening(); });
    }
    // The recognizer hears a whole phrase.
    void say(const QString &phrase)
    {
        fakes.recognition->emitResult(phrase, true);
        settle();
    }
    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    int recognitionStarts() const { return int(fakes.recognition->tasks.size()); }
};

QByteArray recommendation(const QString &model)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("model"), model},
                                     {QStringLiteral("title"), QStringLiteral("Неизвестная")},
                                     {QStringLiteral("reason"), QStringLiteral("Быстрее всех")}})
        .toJson();
}

} // namespace

class VoiceConversationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void modelChoice_data();
    void modelChoice();
    void turnSpeaksTheAnswerAndListensAgain();
    void statusLine_data();
    void statusLine();
    void answerFoundWhenTheHistoryShrinks();
    void phraseDuringATurnIsDropped();
    void closingMidRequestSendsAndSpeaksNothing();
    void interruptedAnswerDoesNotStall();
    void voiceLibraryPausesTheConversation();
    void failedSendListensAgain();
    void talkKeyInterruptsTheAnswer();
    void talkKeyOutsideItsMoments();
};

void VoiceConversationTest::modelChoice_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("available");
    QTest::addColumn<QString>("errorPrefix");

    QTest::newRow("service's choice") << 0 << QByteArray() << "Vexa Fast" << true << "";
    // Named, but not in the account's list of available models.
    QTest::newRow("unavailable model") << 200 << recommendation(QStringLiteral("vexa-none"))
                                       << "Неизвестная" << false << "";
    QTest::newRow("service error")
        << 503 << QByteArray(R"({"ok":false,"error":"Нет моделей"})") << texts::noModelChosen()
        << false << texts::modelChoiceFailedPrefix();
    QTest::newRow("malformed reply") << 200 << QByteArray(R"({"model":5})")
                                     << texts::noModelChosen() << false
                                     << texts::modelChoiceFailedPrefix();
}

void VoiceConversationTest::modelChoice()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, title);
    QFETCH(bool, available);
    QFETCH(QString, errorPrefix);

    Rig rig;
    QVERIFY(rig.conversation.restore());
    if (status)
        rig.conversation.script("GET", QStringLiteral("/api/voice/recommendation"), status, body);
    QVERIFY(rig.conversation.appear());
    QCOMPARE(rig.vm.selectedModelTitle(), title);
    QCOMPARE(rig.vm.modelAvailable(), available);
    QCOMPARE(rig.vm.mainButtonEnabled(), available);
    const QString error = rig.vm.voice()->errorMessage().value_or(QString());
    if (errorPrefix.isEmpty())
        QVERIFY2(error.isEmpty(), qPrintable(error));
    else
        QVERIFY2(error.startsWith(errorPrefix) && error.size() > errorPrefix.size(),
                 qPrintable(error));

    // Without a model the main button starts nothing.
    rig.vm.toggleConversation();
    QVERIFY(waitUntil([&] { return !rig.vm.choosingModel(); }));
    QCOMPARE(rig.vm.active(), available);
}

void VoiceConversationTest::turnSpeaksTheAnswerAndListensAgain()
{
    Rig rig;
    QVERIFY(rig.startTalking());
    QCOMPARE(rig.vm.statusText(), texts::statusListening());
    const QString model = rig.vm.selectedModelText();
    QVERIFY(!model.isEmpty());

    rig.say(QStringLiteral("  Расскажи про Луну  "));
    QVERIFY(rig.vm.processing());
    // Ending stays possible while the phrase is answered.
    QVERIFY(rig.vm.mainButtonEnabled());
    QVERIFY(waitUntil([&] { return !rig.vm.processing(); }));

    const auto bodies = rig.conversation.chatBodies();
    QCOMPARE(bodies.size(), 1);
    QCOMPARE(bodies.first().value(QStringLiteral("message")).toString(),
             QStringLiteral("Расскажи про Луну"));
    QCOMPARE(bodies.first().value(QStringLiteral("model")).toString(), model);

    QCOMPARE(rig.fakes.synthesizer->spoken.size(), size_t(1));
    const auto &spoken = rig.fakes.synthesizer->spoken.back();
    QVERIFY(!rig.vm.lastAnswer().isEmpty());
    QCOMPARE(spoken.text, vexa::answer::spokenAnswer(rig.vm.lastAnswer()));
    QCOMPARE(spoken.language, QStringLiteral("ru-RU"));
    QCOMPARE(rig.vm.statusText(), texts::statusSpeaking());
    QVERIFY(!rig.vm.voice()->isListening()); // the microphone is off while Vexa speaks
    QCOMPARE(rig.recognitionStarts(), 1);

    rig.fakes.synthesizer->finishCurrent();
    QVERIFY(waitUntil([&] { return rig.vm.voice()->isListening(); }));
    QCOMPARE(rig.recognitionStarts(), 2);

    // Blanks never reach the service.
    rig.say(QStringLiteral("   "));
    QVERIFY(!rig.vm.processing());
    QCOMPARE(rig.conversation.chatBodies().size(), 1);

    rig.vm.toggleConversation();
    QVERIFY(!rig.vm.active());
    QVERIFY(!rig.vm.voice()->isListening());
    QCOMPARE(rig.vm.statusText(), texts::statusIdle());
}

void VoiceConversationTest::statusLine_data()
{
    QTest::addColumn<QString>("stage");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("before starting") << "idle" << texts::statusIdle() << true;
    QTest::newRow("listening") << "listening" << texts::statusListening() << true;
    QTest::newRow("answering") << "processing" << texts::statusProcessing() << true;
    // The microphone was opened during a turn: listening is named first.
    QTest::newRow("listening beats answering") << "listening+processing"
                                               << texts::statusListening() << true;
    QTest::newRow("speaking") << "speaking" << texts::statusSpeaking() << true;
    QTest::newRow("voice library open") << "paused" << texts::statusPaused() << true;
    // Ended while an answer was on its way: no new start until it is in.
    QTest::newRow("ended during a turn") << "ended+processing" << texts::statusProcessing()
                                         << false;
}

void VoiceConversationTest::statusLine()
{
    QFETCH(QString, stage);
    QFETCH(QString, status);
    QFETCH(bool, enabled);

    Rig rig;
    if (stage == QLatin1String("idle")) {
        QVERIFY(rig.conversation.restore());
        QVERIFY(rig.conversation.appear());
    } else {
        QVERIFY(rig.startTalking());
    }
    if (stage.endsWith(QLatin1String("processing"))) {
        rig.conversation.script("POST", QStringLiteral("/api/chat"), 200,
                                R"({"ok":true,"answer":"Да."})", 3000);
        rig.say(QStringLiteral("Привет"));
        QVERIFY(rig.vm.processing());
        if (stage.startsWith(QLatin1String("listening")))
            rig.vm.voice()->startListening(QStringLiteral("ru-RU"), false);
        if (stage.startsWith(QLatin1String("ended")))
            rig.vm.toggleConversation();
        Rig::settle();
    }
    if (stage == QLatin1String("speaking")) {
        rig.say(QStringLiteral("Привет"));
        QVERIFY(waitUntil([&] { return rig.vm.voice()->isSpeaking() && !rig.vm.processing(); }));
    }
    if (stage == QLatin1String("paused"))
        rig.vm.setShowingVoices(true);
    QCOMPARE(rig.vm.statusText(), status);
    QCOMPARE(rig.vm.mainButtonEnabled(), enabled);
}

void VoiceConversationTest::answerFoundWhenTheHistoryShrinks()
{
    // The chat list read after the answer holds fewer messages than before the send (another
    // device cleared the chat): the answer is still spoken.
    Rig rig;
    QVERIFY(rig.startTalking());
    const QString chat = rig.conversation.client->activeChatID().value_or(QStringLiteral("c1"));
    rig.conversation.script(
        "GET", QStringLiteral("/api/chats"), 200,
        QJsonDocument(QJsonObject{
                          {QStringLiteral("ok"), true},
                          {QStringLiteral("chats"),
                           QJsonArray{QJsonObject{{QStringLiteral("id"), chat},
                                                  {QStringLiteral("title"), QStringLiteral("Чат")},
                                                  {QStringLiteral("messages"), QJsonArray()}}}},
                          {QStringLiteral("active_chat_id"), chat}})
            .toJson());
    rig.say(QStringLiteral("Который час"));
    QVERIFY(waitUntil([&] { return !rig.vm.processing(); }));
    QVERIFY(rig.conversation.client->entries().isEmpty());
    QCOMPARE(rig.fakes.synthesizer->spoken.size(), size_t(1));
    QVERIFY(!rig.vm.lastAnswer().isEmpty());
}

void VoiceConversationTest::phraseDuringATurnIsDropped()
{
    Rig rig;
    QVERIFY(rig.startTalking());
    rig.conversation.script("POST", QStringLiteral("/api/chat"), 200,
                            R"({"ok":true,"answer":"Первый ответ."})", 400);
    QSignalSpy dropped(&rig.vm, &VoiceConversationViewModel::phraseDropped);
    rig.say(QStringLiteral("Первая фраза"));
    QVERIFY(rig.vm.processing());
    // Someone opens the microphone while the answer is on its way, and a phrase completes.
    QVERIFY(awaitVoid(rig.vm.voice()->start(QStringLiteral("ru-RU"), false)));
    rig.say(QStringLiteral("Вторая фраза"));
    QCOMPARE(dropped.size(), 1);
    QCOMPARE(dropped.first().first().toString(), QStringLiteral("Вторая фраза"));

    QVERIFY(waitUntil([&] { return !rig.vm.processing(); }));
    const auto bodies = rig.conversation.chatBodies();
    QCOMPARE(bodies.size(), 1);
    QCOMPARE(bodies.first().value(QStringLiteral("message")).toString(),
             QStringLiteral("Первая фраза"));
    QCOMPARE(rig.fakes.synthesizer->spoken.back().text, QStringLiteral("Первый ответ."));
}

void VoiceConversationTest::closingMidRequestSendsAndSpeaksNothing()
{
    Rig rig;
    QVERIFY(rig.startTalking());
    rig.conversation.script("POST", QStringLiteral("/api/chat"), 200,
                            R"({"ok":true,"answer":"Поздно."})", 300);
    rig.say(QStringLiteral("Вопрос"));
    QVERIFY(rig.vm.processing());
    const int starts = rig.recognitionStarts();

    rig.vm.disappear();
    QVERIFY(!rig.vm.active());
    QVERIFY(!rig.vm.processing());
    // The request finishes in the client; the closed conversation does nothing with it.
    QVERIFY(waitUntil([&] { return !rig.conversation.client->sending(); }));
    QTest::qWait(vexa::test::scaledMs(100));
    Rig::settle();
    QCOMPARE(rig.conversation.chatBodies().size(), 1);
    QVERIFY(rig.fakes.synthesizer->spoken.empty());
    QVERIFY(!rig.vm.voice()->isSpeaking());
    QCOMPARE(rig.recognitionStarts(), starts);
    QVERIFY(!rig.fakes.capture->running);
    QVERIFY(rig.vm.lastAnswer().isEmpty());

    // And while it speaks: closing stops the voice at once.
    Rig second;
    QVERIFY(second.startTalking());
    second.say(QStringLiteral("Ещё вопрос"));
    QVERIFY(waitUntil([&] { return second.vm.voice()->isSpeaking(); }));
    QVERIFY(waitUntil([&] { return second.fakes.synthesizer->playing(); }));
    second.vm.disappear();
    QVERIFY(!second.vm.voice()->isSpeaking());
    QVERIFY(!second.fakes.synthesizer->playing());
    second.fakes.synthesizer->reportEnd(second.fakes.synthesizer->ids.back(),
                                        voice::UtteranceEnd::Finished);
    Rig::settle();
    QVERIFY(!second.vm.voice()->isListening());
}

void VoiceConversationTest::interruptedAnswerDoesNotStall()
{
    Rig rig;
    QVERIFY(rig.startTalking());
    rig.say(QStringLiteral("Расскажи сказку"));
    QVERIFY(waitUntil([&] { return rig.fakes.synthesizer->playing() && !rig.vm.processing(); }));
    // Another speaker of the application (a sample, the chat reading aloud) takes the audio.
    rig.fakes.synthesizer->finishCurrent(voice::UtteranceEnd::Interrupted);
    QVERIFY(waitUntil([&] { return rig.vm.voice()->isListening(); }));
    QCOMPARE(rig.vm.voice()->speechFinishedCount(), 0);
    QVERIFY(rig.vm.active());
}

void VoiceConversationTest::voiceLibraryPausesTheConversation()
{
    Rig rig;
    QVERIFY(rig.startTalking());
    rig.say(QStringLiteral("Привет"));
    QVERIFY(waitUntil([&] { return rig.fakes.synthesizer->playing() && !rig.vm.processing(); }));

    rig.vm.setShowingVoices(true);
    QVERIFY(rig.vm.paused());
    QVERIFY(!rig.vm.voice()->isSpeaking());
    QVERIFY(!rig.vm.voice()->isListening());
    QVERIFY(rig.vm.mainButtonEnabled());

    rig.vm.setShowingVoices(false);
    QVERIFY(!rig.vm.paused());
    QVERIFY(waitUntil([&] { return rig.vm.voice()->isListening(); }));
}

void VoiceConversationTest::failedSendListensAgain()
{
    Rig rig;
    QVERIFY(rig.startTalking());
    rig.conversation.script("POST", QStringLiteral("/api/chat"), 500,
                            R"({"ok":false,"error":"Сервер устал"})");
    rig.say(QStringLiteral("Алло"));
    QVERIFY(waitUntil([&] { return !rig.vm.processing(); }));
    QVERIFY(rig.vm.voice()->isListening());
    QVERIFY(rig.fakes.synthesizer->spoken.empty());
    QVERIFY(rig.conversation.client->notice().has_value());
}

void VoiceConversationTest::talkKeyInterruptsTheAnswer()
{
    Rig rig;
    QVERIFY(rig.startTalking());
    rig.say(QStringLiteral("Расскажи сказку"));
    QVERIFY(waitUntil([&] { return rig.fakes.synthesizer->playing() && !rig.vm.processing(); }));
    const QString answer = rig.vm.lastAnswer();
    const int starts = rig.recognitionStarts();

    rig.vm.talkKeyPressed();
    QVERIFY(!rig.fakes.synthesizer->playing());
    QVERIFY(waitUntil([&] { return rig.vm.voice()->isListening(); }));
    QCOMPARE(rig.recognitionStarts(), starts + 1);
    QCOMPARE(rig.vm.lastAnswer(), answer);
    // Cut short, not finished: no second start from the loop's own "answer spoken".
    QCOMPARE(rig.vm.voice()->speechFinishedCount(), 0);
    // The press that interrupted is no hold: its release leaves the pause rule in force.
    QVERIFY(!rig.vm.holdingToTalk());
    rig.vm.talkKeyReleased();
    QVERIFY(rig.vm.voice()->isListening());
    rig.settle();
    QCOMPARE(rig.recognitionStarts(), starts + 1);
}

void VoiceConversationTest::talkKeyOutsideItsMoments()
{
    Rig rig;
    QVERIFY(rig.conversation.restore());
    QVERIFY(rig.conversation.appear());
    // Before the conversation: nothing listens.
    rig.vm.talkKeyPressed();
    QVERIFY(!rig.vm.holdingToTalk());
    QVERIFY(!rig.vm.voice()->isListening());
    rig.vm.toggleConversation();
    QVERIFY(waitUntil([&] { return rig.vm.voice()->isListening(); }));

    // A recognition error ends listening, and the hold with it: the release sends nothing.
    rig.vm.talkKeyPressed();
    QVERIFY(rig.vm.holdingToTalk());
    QVERIFY(rig.vm.voice()->phraseHeld());
    rig.fakes.recognition->emitResult(QStringLiteral("Алло"));
    rig.fakes.recognition->emitError(QStringLiteral("Микрофон отключён"));
    rig.settle();
    QVERIFY(!rig.vm.voice()->isListening());
    QVERIFY(!rig.vm.holdingToTalk());
    rig.vm.talkKeyReleased();
    rig.settle();
    QVERIFY(rig.conversation.chatBodies().isEmpty());

    // Under the voice library the key does nothing either.
    rig.vm.setShowingVoices(true);
    rig.vm.talkKeyPressed();
    QVERIFY(!rig.vm.holdingToTalk());
    QVERIFY(!rig.vm.voice()->isListening());
}

QTEST_MAIN(VoiceConversationTest)
#include "tst_voiceconversation.moc"
