// VoiceService listening: start steps and failures, the level check, phrase-end detection and
// the recognizer's results, over fake capture, recognizer and clock.
#include "awaittask.h"
#include "voicelevel.h"
#include "voicerig.h"
#include "voicetexts.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using namespace vexa::voice;
using namespace vexa::voice::fakes;

Q_DECLARE_METATYPE(std::vector<float>)
Q_DECLARE_METATYPE(vexa::voice::SpeechAuthorization)

class VoiceListeningTest : public QObject
{
    Q_OBJECT

private slots:
    void levelCheck_data();
    void levelCheck();
    void phraseEnd_data();
    void phraseEnd();
    void finalAndManualPhrases_data();
    void finalAndManualPhrases();
    void startFailures_data();
    void startFailures();
    void requestFollowsOnDeviceSupport_data();
    void requestFollowsOnDeviceSupport();
    void secondStartDuringPermissionWait_data();
    void secondStartDuringPermissionWait();
    void startWhileListeningIsIgnored();
    void stopDuringPermissionWaitAbandonsStart();
    void recognizerErrorStopsListening();
    void staleResultsAreIgnored();
    void everyStartClearsTheLastPhrase();
    void releasingTheServiceEndsEverything();
};

namespace {

std::vector<float> filled(int frames, float value)
{
    return std::vector<float>(size_t(frames), value);
}

// Loud everywhere except the sampled positions 0, 8, 16, …
std::vector<float> loudBetweenSamples(int frames, float sampled)
{
    std::vector<float> samples(size_t(frames), 1.0f);
    for (int i = 0; i < frames; i += kLevelStride)
        samples[size_t(i)] = sampled;
    return samples;
}

bool startOn(VoiceRig &rig, const QString &locale = QStringLiteral("ru-RU"), bool online = false)
{
    return vexa::test::awaitVoid(rig.service->start(locale, online));
}

} // namespace

void VoiceListeningTest::levelCheck_data()
{
    QTest::addColumn<std::vector<float>>("samples");
    QTest::addColumn<bool>("voice");

    QTest::newRow("silence") << filled(1024, 0.0f) << false;
    QTest::newRow("sampled values 0.02") << filled(1024, 0.02f) << true;
    QTest::newRow("exactly the threshold") << filled(1, 0.018f) << false;
    QTest::newRow("negative samples count by square") << filled(1024, -0.02f) << true;
    QTest::newRow("only unsampled samples loud") << loudBetweenSamples(1024, 0.0f) << false;
    QTest::newRow("sampled 0.02 between loud ones") << loudBetweenSamples(1024, 0.02f) << true;
    // N = 9 reads indices 0 and 8: count 2, so 0.02 and 0 give 0.0141 (with N/8 it would be 0.02).
    std::vector<float> nine = loudBetweenSamples(9, 0.0f);
    nine[0] = 0.02f;
    QTest::newRow("count is (N+7)/8") << nine << false;
    QTest::newRow("one sample") << filled(1, 0.02f) << true;
    QTest::newRow("empty buffer") << std::vector<float>{} << false;
}

void VoiceListeningTest::levelCheck()
{
    QFETCH(std::vector<float>, samples);
    QFETCH(bool, voice);

    VoiceRig rig;
    QVERIFY(startOn(rig));
    QCOMPARE(rig.capture->requestedBufferFrames(), kCaptureBufferFrames);
    rig.wait(2s);
    const auto before = rig.service->lastVoiceActivity();
    QVERIFY(before < rig.clock->now());

    rig.capture->deliver(samples);
    rig.settle();

    QCOMPARE(rig.service->lastVoiceActivity() == rig.clock->now(), voice);
    QCOMPARE(rig.service->lastVoiceActivity() == before, !voice);
    // Every buffer reaches the recognizer, loud or not.
    QCOMPARE(rig.recognition->lastRequest()->buffers.load(), 1);
    QVERIFY(!rig.service->hasRecognizedSpeech());
}

// A timeline in milliseconds from the start of listening:
//   "T text X"   the recognizer reports X (trailing "|" marks kept blanks)
//   "T loud"     a buffer with level 0.02
//   "T open"     expect: still listening, no phrase
//   "T done X"   expect: listening ended with phrase X
//   "T final X"  the recognizer reports X as its final result
//   "T hold", "T release"   push-to-talk: the talk key goes down, comes up
void VoiceListeningTest::phraseEnd_data()
{
    QTest::addColumn<QStringList>("timeline");

    QTest::newRow("no speech at all: listens on") << QStringList{"20000 open"};
    QTest::newRow("noise without text never ends the phrase")
        << QStringList{"100 loud", "400 loud", "800 loud", "1200 loud", "10000 open"};
    QTest::newRow("blank text is no speech")
        << QStringList{"100 text   |", "5000 open"};
    QTest::newRow("text, then quiet: ends on the first poll past 0.9 s")
        << QStringList{"300 text Привет", "1200 open", "1351 done Привет"};
    QTest::newRow("level above the threshold keeps the phrase open")
        << QStringList{"300 text Привет", "400 loud", "600 loud", "800 loud", "1000 loud",
                       "1900 open", "2051 done Привет"};
    QTest::newRow("new words restart both clocks")
        << QStringList{"300 text Привет", "900 text Привет мир", "1800 open",
                       "1951 done Привет мир"};
    QTest::newRow("unchanged text does not restart the clocks")
        << QStringList{"300 text Привет", "900 text Привет", "1351 done Привет"};
    QTest::newRow("text trimmed, transcript untouched")
        << QStringList{"300 text   Да  |", "1351 done Да"};
    QTest::newRow("held: a pause does not end the phrase, letting go does at once")
        << QStringList{"100 hold", "300 text Привет", "6000 open", "6000 release", "6000 done Привет"};
    QTest::newRow("held: nor does the recognizer's final result")
        << QStringList{"100 hold", "300 final Привет", "3000 open", "3100 release", "3100 done Привет"};
    QTest::newRow("let go before the words: they end the phrase once settled, noise or not")
        << QStringList{"100 hold", "200 release", "300 text Привет", "400 loud", "600 loud",
                       "800 loud", "900 open", "1051 done Привет"};
    QTest::newRow("let go with nothing said: listens on")
        << QStringList{"100 hold", "200 release", "6000 open"};
}

void VoiceListeningTest::phraseEnd()
{
    QFETCH(QStringList, timeline);

    VoiceRig rig;
    QVERIFY(startOn(rig));
    QVERIFY(rig.service->isListening());
    int elapsed = 0;
    for (const QString &entry : timeline) {
        const qsizetype firstSpace = entry.indexOf(u' ');
        const qsizetype secondSpace = entry.indexOf(u' ', firstSpace + 1);
        const int at = entry.left(firstSpace).toInt();
        const QString action = entry.mid(firstSpace + 1, secondSpace < 0 ? -1 : secondSpace - firstSpace - 1);
        QString argument = secondSpace < 0 ? QString() : entry.mid(secondSpace + 1);
        if (argument.endsWith(u'|'))
            argument.chop(1);

        rig.wait(std::chrono::milliseconds(at - elapsed));
        elapsed = at;
        if (action == QLatin1String("text")) {
            rig.recognition->emitResult(argument);
            rig.settle();
            QCOMPARE(rig.service->transcript(), argument);
        } else if (action == QLatin1String("final")) {
            rig.recognition->emitResult(argument, true);
            rig.settle();
        } else if (action == QLatin1String("hold")) {
            rig.service->holdPhrase();
            QVERIFY(rig.service->phraseHeld());
        } else if (action == QLatin1String("release")) {
            rig.service->releasePhrase();
            rig.settle();
        } else if (action == QLatin1String("loud")) {
            rig.capture->deliver(filled(1024, 0.02f));
            rig.settle();
        } else if (action == QLatin1String("open")) {
            QVERIFY2(rig.service->isListening(), qPrintable(entry));
            QVERIFY2(!rig.service->finalTranscript(), qPrintable(entry));
        } else if (action == QLatin1String("done")) {
            QVERIFY2(!rig.service->isListening(), qPrintable(entry));
            QCOMPARE(rig.service->finalTranscript(), std::optional<QString>(argument));
            QCOMPARE(rig.service->transcript().trimmed(), argument);
            QCOMPARE(rig.capture->liveTaps, 0);
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + entry));
        }
    }
}

void VoiceListeningTest::finalAndManualPhrases_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("finalResult"); // else the manual "send" button
    QTest::addColumn<bool>("ends");

    QTest::newRow("final result") << QStringLiteral(" Найди рецепт \n") << true << true;
    QTest::newRow("final result of blanks keeps listening") << QStringLiteral(" \n\t") << true << false;
    QTest::newRow("empty final result keeps listening") << QString() << true << false;
    QTest::newRow("manual send") << QStringLiteral("Стоп ") << false << true;
    QTest::newRow("manual send with blanks does nothing") << QStringLiteral("  ") << false << false;
}

void VoiceListeningTest::finalAndManualPhrases()
{
    QFETCH(QString, text);
    QFETCH(bool, finalResult);
    QFETCH(bool, ends);

    VoiceRig rig;
    QVERIFY(startOn(rig));
    QSignalSpy finals(rig.service.get(), &VoiceService::finalTranscriptChanged);
    if (finalResult) {
        rig.recognition->emitResult(text, true);
        rig.settle();
    } else {
        rig.recognition->emitResult(text);
        rig.settle();
        rig.service->sendRecognizedPhrase();
    }
    QCOMPARE(rig.service->isListening(), !ends);
    QCOMPARE(rig.service->transcript(), text);
    if (ends) {
        QCOMPARE(rig.service->finalTranscript(), std::optional<QString>(text.trimmed()));
        QCOMPARE(finals.count(), 1);
        QCOMPARE(rig.capture->liveTaps, 0);
        QVERIFY(rig.recognition->tasks.back()->cancelled);
    } else {
        QVERIFY(!rig.service->finalTranscript());
        QCOMPARE(finals.count(), 0);
        QCOMPARE(rig.capture->liveTaps, 1);
    }
}

void VoiceListeningTest::startFailures_data()
{
    QTest::addColumn<SpeechAuthorization>("authorization");
    QTest::addColumn<bool>("microphone");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("available");
    QTest::addColumn<bool>("onDevice");
    QTest::addColumn<QString>("engineError");
    QTest::addColumn<QString>("message");

    const auto ok = SpeechAuthorization::Authorized;
    QTest::newRow("recognition denied") << SpeechAuthorization::Denied << true << "ru-RU" << true
                                        << true << QString() << texts::recognitionNotAuthorized();
    QTest::newRow("recognition restricted")
        << SpeechAuthorization::Restricted << true << "ru-RU" << true << true << QString()
        << texts::recognitionNotAuthorized();
    QTest::newRow("recognition not determined")
        << SpeechAuthorization::NotDetermined << true << "ru-RU" << true << true << QString()
        << texts::recognitionNotAuthorized();
    QTest::newRow("microphone denied") << ok << false << "ru-RU" << true << true << QString()
                                       << texts::microphoneDenied();
    QTest::newRow("no recognizer for the language")
        << ok << true << "de-DE" << true << true << QString() << texts::recognizerUnavailable();
    QTest::newRow("recognizer unavailable")
        << ok << true << "ru-RU" << false << true << QString() << texts::recognizerUnavailable();
    QTest::newRow("no on-device recognition, online not allowed")
        << ok << true << "ru-RU" << true << false << QString() << texts::onDeviceRecognitionMissing();
    QTest::newRow("engine does not start")
        << ok << true << "ru-RU" << true << true << QStringLiteral("нет устройства")
        << QStringLiteral("Не удалось запустить микрофон: нет устройства");
}

void VoiceListeningTest::startFailures()
{
    QFETCH(SpeechAuthorization, authorization);
    QFETCH(bool, microphone);
    QFETCH(QString, locale);
    QFETCH(bool, available);
    QFETCH(bool, onDevice);
    QFETCH(QString, engineError);
    QFETCH(QString, message);

    VoiceRig rig;
    rig.recognition->authorization = authorization;
    rig.capture->microphoneAllowed = microphone;
    rig.recognition->locales[QStringLiteral("ru-RU")] = {available, onDevice};
    if (!engineError.isEmpty())
        rig.capture->startError = VoiceError{engineError};
    QSignalSpy errors(rig.service.get(), &VoiceService::errorMessageChanged);

    QVERIFY(startOn(rig, locale));

    QCOMPARE(rig.service->errorMessage(), std::optional<QString>(message));
    QCOMPARE(errors.count(), 1);
    QVERIFY(!rig.service->isListening());
    QCOMPARE(rig.capture->liveTaps, 0);
    QVERIFY(!rig.capture->running);
    QVERIFY(rig.recognition->tasks.empty());
    QVERIFY(!rig.recognition->lastRequest()); // none made, or none kept
    QCOMPARE(rig.clock->sleepers(), 0);       // no silence monitor

    // The service is idle and starts again once the cause is gone.
    rig.recognition->authorization = SpeechAuthorization::Authorized;
    rig.capture->microphoneAllowed = true;
    rig.recognition->locales[QStringLiteral("ru-RU")] = {true, true};
    rig.capture->startError.reset();
    QVERIFY(startOn(rig));
    QVERIFY(rig.service->isListening());
    QVERIFY(!rig.service->errorMessage());
    QCOMPARE(rig.capture->maxTapsAtOnce, 1);
}

void VoiceListeningTest::requestFollowsOnDeviceSupport_data()
{
    QTest::addColumn<bool>("onDevice");
    QTest::addColumn<bool>("online");

    QTest::newRow("on device, online allowed") << true << true;
    QTest::newRow("on device, online not allowed") << true << false;
    QTest::newRow("server only, online allowed") << false << true;
}

void VoiceListeningTest::requestFollowsOnDeviceSupport()
{
    QFETCH(bool, onDevice);
    QFETCH(bool, online);

    VoiceRig rig;
    rig.recognition->locales[QStringLiteral("en-US")] = {true, onDevice};
    QVERIFY(startOn(rig, QStringLiteral("en-US"), online));

    QVERIFY(rig.service->isListening());
    const auto request = rig.recognition->lastRequest();
    QVERIFY(request);
    QVERIFY(request->options.reportPartialResults);
    QCOMPARE(request->options.requiresOnDeviceRecognition, onDevice);
    QCOMPARE(rig.recognition->recognizerLocales.back(), QStringLiteral("en-US"));
    QCOMPARE(rig.capture->calls,
             (QStringList{"microphone", "installTap 0 1024", "prepare", "start"}));
    QCOMPARE(rig.recognition->tasks.size(), size_t(1));
}

void VoiceListeningTest::secondStartDuringPermissionWait_data()
{
    QTest::addColumn<bool>("holdAuthorization"); // else the microphone question waits

    QTest::newRow("during the authorization wait") << true;
    QTest::newRow("during the microphone wait") << false;
}

void VoiceListeningTest::secondStartDuringPermissionWait()
{
    QFETCH(bool, holdAuthorization);

    VoiceRig rig;
    Gate &gate = holdAuthorization ? rig.recognition->authorizationGate
                                   : rig.capture->microphoneGate;
    gate.hold = true;
    QCoro::Task<> first = rig.service->start(QStringLiteral("ru-RU"), false);
    QVERIFY(!first.isReady());
    // The second start finds the first one in progress and returns at once.
    QVERIFY(vexa::test::awaitVoid(rig.service->start(QStringLiteral("ru-RU"), false), 1000));
    QCOMPARE(rig.recognition->authorizationRequests, 1);

    gate.hold = false;
    gate.release();
    QVERIFY(vexa::test::awaitVoid(std::move(first)));

    QVERIFY(rig.service->isListening());
    QCOMPARE(rig.capture->tapsInstalled, 1);
    QCOMPARE(rig.capture->maxTapsAtOnce, 1);
    QCOMPARE(rig.recognition->tasks.size(), size_t(1));
}

void VoiceListeningTest::startWhileListeningIsIgnored()
{
    VoiceRig rig;
    QVERIFY(startOn(rig));
    rig.recognition->emitResult(QStringLiteral("Привет"));
    rig.settle();

    QVERIFY(startOn(rig));

    QCOMPARE(rig.service->transcript(), QStringLiteral("Привет")); // not reset
    QCOMPARE(rig.recognition->authorizationRequests, 1);
    QCOMPARE(rig.capture->tapsInstalled, 1);
    QVERIFY(!rig.recognition->tasks.back()->cancelled);
}

void VoiceListeningTest::stopDuringPermissionWaitAbandonsStart()
{
    VoiceRig rig;
    rig.capture->microphoneGate.hold = true;
    QCoro::Task<> start = rig.service->start(QStringLiteral("ru-RU"), false);
    rig.service->stopListening();
    rig.capture->microphoneGate.hold = false;
    rig.capture->microphoneGate.release();
    QVERIFY(vexa::test::awaitVoid(std::move(start)));

    // The user stopped before the microphone opened: it never opens.
    QVERIFY(!rig.service->isListening());
    QCOMPARE(rig.capture->tapsInstalled, 0);
    QCOMPARE(rig.capture->starts, 0);
    QVERIFY(rig.recognition->requests.empty());
    QVERIFY(!rig.service->errorMessage());
}

void VoiceListeningTest::recognizerErrorStopsListening()
{
    VoiceRig rig;
    QVERIFY(startOn(rig));
    rig.recognition->emitResult(QStringLiteral("Включи"));
    rig.settle();
    const auto request = rig.recognition->lastRequest();
    rig.capture->calls.clear();

    rig.recognition->emitError(QStringLiteral("Распознаватель перестал отвечать"));
    rig.settle();

    QVERIFY(!rig.service->isListening());
    QCOMPARE(rig.service->errorMessage(),
             std::optional<QString>(QStringLiteral("Распознаватель перестал отвечать")));
    QCOMPARE(rig.service->transcript(), QStringLiteral("Включи"));
    QVERIFY(!rig.service->finalTranscript());
    // Stop order: engine, tap, end of audio, task; then nothing is kept.
    QCOMPARE(rig.capture->calls, (QStringList{"stop", "removeTap 0"}));
    QCOMPARE(request->endAudioCalls.load(), 1);
    QVERIFY(rig.recognition->tasks.back()->cancelled);
    QVERIFY(rig.recognition->tasks.back()->destroyed);
    QCOMPARE(rig.capture->liveTaps, 0);

    // The monitor ended with listening: time passing changes nothing.
    rig.wait(3s);
    QCOMPARE(rig.clock->sleepers(), 0);
}

void VoiceListeningTest::staleResultsAreIgnored()
{
    VoiceRig rig;
    QVERIFY(startOn(rig));
    const RecognitionHandler oldHandler = rig.recognition->tasks.back()->handler;
    rig.service->stopListening();

    // Delivered after the stop: not listening, nothing happens.
    oldHandler(RecognitionResult{QStringLiteral("поздно"), true}, std::nullopt);
    rig.settle();
    QCOMPARE(rig.service->transcript(), QString());
    QVERIFY(!rig.service->finalTranscript());

    // Delivered after a new start: still the old phrase's result.
    QVERIFY(startOn(rig));
    oldHandler(RecognitionResult{QStringLiteral("старое"), false}, VoiceError{QStringLiteral("x")});
    rig.settle();
    QCOMPARE(rig.service->transcript(), QString());
    QVERIFY(rig.service->isListening());
    QVERIFY(!rig.service->errorMessage());
}

void VoiceListeningTest::everyStartClearsTheLastPhrase()
{
    VoiceRig rig;
    QSignalSpy finals(rig.service.get(), &VoiceService::finalTranscriptChanged);
    for (int round = 0; round < 2; ++round) {
        QVERIFY(startOn(rig));
        QVERIFY(!rig.service->finalTranscript());
        rig.recognition->emitResult(QStringLiteral("Да"), true);
        rig.settle();
        QCOMPARE(rig.service->finalTranscript(), std::optional<QString>(QStringLiteral("Да")));
    }
    // absent → "Да" → absent → "Да": the same phrase twice is still seen twice.
    QCOMPARE(finals.count(), 3);

    // Stopping while idle touches nothing the screens show.
    QSignalSpy transcripts(rig.service.get(), &VoiceService::transcriptChanged);
    QSignalSpy listening(rig.service.get(), &VoiceService::isListeningChanged);
    rig.service->stopListening();
    QCOMPARE(rig.service->finalTranscript(), std::optional<QString>(QStringLiteral("Да")));
    QCOMPARE(rig.service->transcript(), QStringLiteral("Да"));
    QCOMPARE(transcripts.count() + listening.count() + finals.count(), 3);
}

void VoiceListeningTest::releasingTheServiceEndsEverything()
{
    VoiceRig rig;
    QVERIFY(startOn(rig));
    RecognitionHandler handler = rig.recognition->tasks.back()->handler;
    rig.service.reset();

    QCOMPARE(rig.capture->liveTaps, 0);
    QVERIFY(!rig.capture->running);
    QVERIFY(rig.recognition->tasks.back()->cancelled);
    // A late result and the monitor's next wake-up find no service.
    handler(RecognitionResult{QStringLiteral("эхо"), true}, std::nullopt);
    rig.settle();
    rig.clock->advance(1s);
    QCOMPARE(rig.clock->sleepers(), 0);
}

QTEST_GUILESS_MAIN(VoiceListeningTest)
#include "tst_voicelistening.moc"
