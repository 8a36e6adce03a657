// A whole conversation turn with the real recognizer: a recorded English phrase played at the
// pace of speech through the WAV capture, PocketSphinx, the silence detector, the local service
// and a fake speaker. The phrase goes out once with the recommended model, the answer is spoken,
// and the microphone opens again for the next phrase.
#include "answerblocks.h"
#include "conversationrig.h"
#include "platform/pocketsphinxrecognition.h"
#include "replay/wavfilecapture.h"
#include "replay/worderrors.h"
#include "voicefakes.h"
#include "voicepreferences.h"

#include <QStandardPaths>
#include <QTest>

using namespace vexa;
using namespace vexa::test;
using namespace vexa::voice;

namespace {
const QString kLibrivox = QStringLiteral("/usr/share/pocketsphinx/test/data/librivox");
const QString kClip = QStringLiteral("sense_and_sensibility_01_austen_64kb-0880");
} // namespace

class VoiceConversationRealTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void recordedPhraseMakesATurn();
};

void VoiceConversationRealTest::recordedPhraseMakesATurn()
{
    auto recording = readWav(kLibrivox + u'/' + kClip + QStringLiteral(".wav"));
    QVERIFY2(recording, "install pocketsphinx-testdata (tools/debian-packages.txt)");
    auto capture = std::make_shared<WavFileCapture>(std::move(*recording),
                                                    WavFileCapture::Pace::RealTime);
    auto speaker = std::make_shared<fakes::FakeSynthesizer>();
    ConversationRig rig(VoicePlatform{capture, std::make_shared<PocketSphinxRecognition>(), speaker,
                                      std::make_shared<SteadyVoiceClock>()});
    VoicePreferences(rig.preferencesPath()).setLocale(QStringLiteral("en-US"));
    VoiceConversationViewModel &vm = *rig.conversation;

    QVERIFY(rig.restore());
    QVERIFY(rig.appear());
    QVERIFY(vm.mainButtonEnabled());
    vm.toggleConversation();
    QVERIFY(waitUntil([&] { return vm.voice()->isListening(); }));

    // The silence after the clip ends the phrase; the answer is asked for and spoken.
    QVERIFY(waitUntil([&] { return !speaker->spoken.empty(); }, 60000));
    const auto bodies = rig.chatBodies();
    QCOMPARE(bodies.size(), 1);
    const QString sent = bodies.first().value(QStringLiteral("message")).toString();
    qInfo("sent: %s", qPrintable(sent));
    // What was heard, not something else: the phrase may end at the speaker's first pause
    // (the detector decides), so it is checked word by word against the reference.
    const QStringList reference =
        readTranscriptions(kLibrivox + QStringLiteral("/transcription")).value(kClip).split(u' ');
    const QStringList words = sent.toLower().split(u' ', Qt::SkipEmptyParts);
    QVERIFY2(!words.isEmpty(), "an empty phrase was sent");
    int known = 0;
    for (const QString &word : words)
        known += reference.contains(word);
    QVERIFY2(known * 2 >= words.size(), qPrintable(sent));
    QCOMPARE(bodies.first().value(QStringLiteral("model")).toString(), vm.selectedModelText());
    QCOMPARE(speaker->spoken.back().text, answer::spokenAnswer(vm.lastAnswer()));
    QCOMPARE(speaker->spoken.back().language, QStringLiteral("en-US"));
    QVERIFY(!capture->isRunning()); // nobody listens while Vexa speaks

    speaker->finishCurrent();
    QVERIFY(waitUntil([&] { return vm.voice()->isListening() && capture->isRunning(); }));

    // Closing ends the microphone at once; no second phrase goes out.
    vm.disappear();
    QVERIFY(!capture->isRunning());
    QTest::qWait(1500);
    QCOMPARE(rig.chatBodies().size(), 1);
    QCOMPARE(speaker->spoken.size(), size_t(1));
}

QTEST_MAIN(VoiceConversationRealTest)
#include "tst_voiceconversationreal.moc"
