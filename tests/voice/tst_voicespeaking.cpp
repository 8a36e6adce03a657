// VoiceService speaking: rate clamp, voice choice, and which utterances count as finished.
#include "voicerig.h"
#include "voicesamples.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

using namespace vexa::voice;
using namespace vexa::voice::fakes;

class VoiceSpeakingTest : public QObject
{
    Q_OBJECT

private slots:
    void rateClamp_data();
    void rateClamp();
    void voiceChoice_data();
    void voiceChoice();
    void finishedCountsOnlyCompletedUtterances();
    void newSpeakReplacesTheCurrentOne();
    void interruptedByAnotherSpeaker();
};

namespace {

VoiceInventory sampleVoices()
{
    return VoiceInventory(
        {voice("ru.milena", "Milena", "ru-RU", 1, 2),
         voice("ru.katya.premium", "Katya", "ru-RU", 3, 2),
         voice("com.apple.voice.compact.ru-RU.Yuri", "Yuri", "ru-RU", 1, 1),
         voice("en.samantha", "Samantha", "en-US", 2, 2),
         voice("en.bells", "Bells", "en-US", 3, 0, VoiceInfo::kNoveltyTrait)},
        {{"ru-RU", "ru.milena"}, {"en-US", "en.samantha"}});
}

} // namespace

void VoiceSpeakingTest::rateClamp_data()
{
    QTest::addColumn<double>("stored");
    QTest::addColumn<float>("spoken");

    QTest::newRow("0.2 speaks at the floor") << 0.2 << 0.4f;
    QTest::newRow("exactly 0.4") << 0.4 << 0.4f;
    QTest::newRow("0.5 as stored") << 0.5 << 0.5f;
    QTest::newRow("0.55 as a 32-bit float") << 0.55 << float(0.55);
    QTest::newRow("exactly 0.62") << 0.62 << 0.62f;
    QTest::newRow("0.9 speaks at the ceiling") << 0.9 << 0.62f;
    QTest::newRow("negative") << -3.0 << 0.4f;
    QTest::newRow("not a number speaks at the normal pace")
        << std::numeric_limits<double>::quiet_NaN() << 0.5f;
    QTest::newRow("infinity speaks at the normal pace")
        << std::numeric_limits<double>::infinity() << 0.5f;
}

void VoiceSpeakingTest::rateClamp()
{
    QFETCH(double, stored);
    QFETCH(float, spoken);

    VoiceRig rig;
    rig.service->speak(QStringLiteral("Привет"), QStringLiteral("ru-RU"), QString(), stored);
    QCOMPARE(rig.synthesizer->spoken.size(), size_t(1));
    QCOMPARE(rig.synthesizer->spoken[0].rate, spoken);
}

void VoiceSpeakingTest::voiceChoice_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("pinned");
    QTest::addColumn<QString>("voiceUsed"); // "" = the platform's default

    QTest::newRow("automatic: best of the language") << "ru-RU" << "" << "ru.katya.premium";
    QTest::newRow("pinned and installed") << "ru-RU" << "ru.milena" << "ru.milena";
    QTest::newRow("pinned English voice never speaks Russian")
        << "ru-RU" << "en.samantha" << "ru.katya.premium";
    QTest::newRow("pinned voice uninstalled: best instead")
        << "ru-RU" << "ru.gone" << "ru.katya.premium";
    QTest::newRow("super-compact pin finds the compact voice")
        << "ru-RU" << "com.apple.voice.super-compact.ru-RU.Yuri"
        << "com.apple.voice.compact.ru-RU.Yuri";
    QTest::newRow("British tag speaks with an American voice")
        << "en-GB" << "" << "en.samantha";
    QTest::newRow("novelty voice is never chosen automatically") << "en-US" << "" << "en.samantha";
    QTest::newRow("pinned novelty voice is honoured") << "en-US" << "en.bells" << "en.bells";
    QTest::newRow("no voice for the language: platform default") << "de-DE" << "" << "";
}

void VoiceSpeakingTest::voiceChoice()
{
    QFETCH(QString, language);
    QFETCH(QString, pinned);
    QFETCH(QString, voiceUsed);

    VoiceRig rig;
    rig.synthesizer->inventory = sampleVoices();
    rig.service->speak(QStringLiteral("Текст"), language, pinned, 0.5);

    QCOMPARE(rig.synthesizer->spoken.size(), size_t(1));
    const Utterance &utterance = rig.synthesizer->spoken[0];
    QCOMPARE(utterance.voiceIdentifier, voiceUsed);
    QCOMPARE(utterance.language, language);
    QCOMPARE(utterance.text, QStringLiteral("Текст"));
}

void VoiceSpeakingTest::finishedCountsOnlyCompletedUtterances()
{
    VoiceRig rig;
    QSignalSpy speaking(rig.service.get(), &VoiceService::isSpeakingChanged);

    rig.service->speak(QStringLiteral("Раз"), QStringLiteral("ru-RU"), QString(), 0.5);
    QVERIFY(rig.service->isSpeaking());
    rig.synthesizer->finishCurrent();
    rig.settle();
    QVERIFY(!rig.service->isSpeaking());
    QCOMPARE(rig.service->speechFinishedCount(), 1);

    rig.service->speak(QStringLiteral("Два"), QStringLiteral("ru-RU"), QString(), 0.5);
    const UtteranceId stopped = rig.synthesizer->ids.back();
    const int stopsBefore = rig.synthesizer->stops;
    rig.service->stopSpeaking();
    QCOMPARE(rig.synthesizer->stops, stopsBefore + 1);
    QVERIFY(!rig.service->isSpeaking());
    // A finish report of the stopped utterance that was already under way counts for nothing.
    rig.synthesizer->reportEnd(stopped, UtteranceEnd::Finished);
    rig.settle();
    QCOMPARE(rig.service->speechFinishedCount(), 1);
    QCOMPARE(speaking.count(), 4); // on, off, on, off
}

void VoiceSpeakingTest::newSpeakReplacesTheCurrentOne()
{
    VoiceRig rig;
    rig.service->speak(QStringLiteral("Первый"), QStringLiteral("ru-RU"), QString(), 0.5);
    const UtteranceId first = rig.synthesizer->ids.back();
    const int stopsBefore = rig.synthesizer->stops;

    rig.service->speak(QStringLiteral("Второй"), QStringLiteral("ru-RU"), QString(), 0.5);
    QCOMPARE(rig.synthesizer->stops, stopsBefore + 1);
    QCOMPARE(rig.synthesizer->spoken.back().text, QStringLiteral("Второй"));

    rig.synthesizer->reportEnd(first, UtteranceEnd::Finished);
    rig.settle();
    QVERIFY(rig.service->isSpeaking());
    QCOMPARE(rig.service->speechFinishedCount(), 0);

    rig.synthesizer->finishCurrent();
    rig.settle();
    QVERIFY(!rig.service->isSpeaking());
    QCOMPARE(rig.service->speechFinishedCount(), 1);
}

void VoiceSpeakingTest::interruptedByAnotherSpeaker()
{
    VoiceRig rig;
    rig.service->speak(QStringLiteral("Текст"), QStringLiteral("ru-RU"), QString(), 0.5);
    rig.synthesizer->finishCurrent(UtteranceEnd::Interrupted);
    rig.settle();
    QVERIFY(!rig.service->isSpeaking());
    QCOMPARE(rig.service->speechFinishedCount(), 0);
}

QTEST_GUILESS_MAIN(VoiceSpeakingTest)
#include "tst_voicespeaking.moc"
