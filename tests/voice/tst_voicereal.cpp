// The real platform parts on this machine: PocketSphinx on recorded human speech (Debian's
// librivox clips) against the bare command-line decoder, a whole VoiceService listening to a
// recording played in real time, and the speech-dispatcher voices through Qt TextToSpeech.
#include "awaittask.h"
#include "platform/pocketsphinxrecognition.h"
#include "platform/qtspeechsynthesizer.h"
#include "replay/recordingrecognition.h"
#include "replay/wavfilecapture.h"
#include "replay/worderrors.h"
#include "vexavoicecatalog.h"
#include "voicelibraryviewmodel.h"
#include "voicefakes.h"
#include "voiceservice.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace vexa::voice;

namespace {

const QString kLibrivox = QStringLiteral("/usr/share/pocketsphinx/test/data/librivox");
// Our pipeline may differ from the bare decoder by chunking and resampling details only.
constexpr double kWerMargin = 0.05;

QStringList librivoxClips()
{
    QStringList clips;
    QFile list(kLibrivox + QStringLiteral("/fileids"));
    if (list.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!list.atEnd()) {
            const QString id = QString::fromUtf8(list.readLine()).trimmed();
            if (!id.isEmpty())
                clips << id;
        }
    }
    return clips;
}

} // namespace

class VoiceRealTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recognitionMatchesTheBareDecoder();
    void serviceHearsAPhraseEnd();
    void systemVoicesAreListedAndSorted();
    void libraryListsTheSystemVoices();
};

void VoiceRealTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QFile::exists(kLibrivox + QStringLiteral("/transcription")),
             "install pocketsphinx-testdata (tools/debian-packages.txt)");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pocketsphinx_continuous")).isEmpty(),
             "install pocketsphinx (tools/debian-packages.txt)");
}

void VoiceRealTest::recognitionMatchesTheBareDecoder()
{
    const QHash<QString, QString> references =
        readTranscriptions(kLibrivox + QStringLiteral("/transcription"));
    const QStringList clips = librivoxClips();
    QVERIFY(clips.size() >= 5);

    WordErrors ours, bare;
    for (const QString &clip : clips) {
        const QString wav = kLibrivox + u'/' + clip + QStringLiteral(".wav");
        const auto mine = recognizeRecording(wav, QStringLiteral("en-US"));
        const auto theirs = recognizeWithBarePocketSphinx(wav);
        QVERIFY2(mine, qPrintable(clip));
        QVERIFY2(theirs, qPrintable(clip));
        const WordErrors clipOurs = wordErrors(references.value(clip), mine->text);
        const WordErrors clipBare = wordErrors(references.value(clip), theirs->text);
        qInfo("%s\n  ours %.2f  %s\n  bare %.2f  %s", qPrintable(clip), clipOurs.rate(),
              qPrintable(mine->text), clipBare.rate(), qPrintable(theirs->text));
        ours += clipOurs;
        bare += clipBare;
    }
    qInfo("word error rate: ours %.3f, bare %.3f", ours.rate(), bare.rate());
    QVERIFY(ours.referenceWords > 50);
    QVERIFY2(ours.rate() <= bare.rate() + kWerMargin,
             qPrintable(QStringLiteral("ours %1, bare %2").arg(ours.rate()).arg(bare.rate())));
    QVERIFY(ours.rate() < 0.5); // the recogniser actually hears the speech
}

void VoiceRealTest::serviceHearsAPhraseEnd()
{
    // A short clip played at the pace of speech, then a quiet room: the silence detector, not
    // the end of the file, completes the phrase.
    const QString clip = QStringLiteral("sense_and_sensibility_01_austen_64kb-0880");
    auto recording = readWav(kLibrivox + u'/' + clip + QStringLiteral(".wav"));
    QVERIFY(recording);
    const double seconds = recording->seconds();
    auto capture = std::make_shared<WavFileCapture>(std::move(*recording),
                                                    WavFileCapture::Pace::RealTime);
    VoiceService service(VoicePlatform{capture, std::make_shared<PocketSphinxRecognition>(),
                                       std::make_shared<fakes::FakeSynthesizer>(),
                                       std::make_shared<SteadyVoiceClock>()});
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(vexa::test::awaitVoid(service.start(QStringLiteral("en-US"), false)));
    QVERIFY2(service.isListening(), qPrintable(service.errorMessage().value_or(QString())));

    QVERIFY(vexa::test::waitUntil([&] { return service.finalTranscript().has_value(); }, 30000));
    const double took = double(elapsed.elapsed()) / 1000.0;
    qInfo("phrase after %.2f s of a %.2f s clip: %s", took, seconds,
          qPrintable(*service.finalTranscript()));
    QVERIFY(!service.isListening());
    QVERIFY(took > seconds);           // not before the speaker finished
    QVERIFY(took < seconds + 10.0);    // and soon after, even on a busy machine
    const WordErrors errors = wordErrors(
        readTranscriptions(kLibrivox + QStringLiteral("/transcription")).value(clip),
        *service.finalTranscript());
    QVERIFY2(errors.rate() <= 0.5, qPrintable(*service.finalTranscript()));
    QVERIFY(!capture->isRunning());
}

void VoiceRealTest::systemVoicesAreListedAndSorted()
{
    // Speech-dispatcher starts on demand; starting it here keeps its start-up out of the wait.
    QProcess::execute(QStringLiteral("speech-dispatcher"), {QStringLiteral("--spawn")});

    VexaVoiceCatalog catalog(std::make_shared<QtSpeechSynthesizer>());
    QVERIFY(vexa::test::waitUntil([&] { return !catalog.loading(); }, 60000));
    QVERIFY2(catalog.count() > 0, "no voices from Qt TextToSpeech (speech-dispatcher, espeak-ng)");

    const auto key = parseSystemVoiceIdentifier(catalog.voices().first().identifier);
    QVERIFY(key);
    QCOMPARE(key->engine, QStringLiteral("speechd"));

    const QList<VoiceInfo> russian =
        VexaVoiceCatalog::sorted(catalog.inventory(), catalog.voices(), QStringLiteral("ru-RU"));
    QVERIFY2(!russian.isEmpty(), "no Russian voices");
    for (const VoiceInfo &voice : russian)
        QVERIFY(VexaVoiceCatalog::sameLanguage(voice.language, QStringLiteral("ru-RU")));
    // Every voice is of one quality and gender here, so the engine's own choice leads.
    const auto defaultVoice = catalog.inventory().defaultVoice(QStringLiteral("ru-RU"));
    QVERIFY(defaultVoice);
    QCOMPARE(russian.first().identifier, defaultVoice->identifier);
    const auto best = VexaVoiceCatalog::bestVoice(catalog.inventory(), QStringLiteral("ru-RU"));
    QVERIFY(best);
    QCOMPARE(VexaVoiceCatalog::resolve(catalog.inventory(), best->identifier)->name, best->name);
    qInfo("%lld voices; %lld Russian, first %s", qlonglong(catalog.count()),
          qlonglong(russian.size()), qPrintable(best->identifier));
}

void VoiceRealTest::libraryListsTheSystemVoices()
{
    // The library over the real speech service: Russian voices are listed, one of them can be
    // pinned and is marked, and a refresh lists them again.
    QTemporaryDir dir;
    VoiceLibraryViewModel library(
        std::make_shared<QtSpeechSynthesizer>(),
        VoicePlatform{std::make_shared<fakes::FakeCapture>(),
                      std::make_shared<fakes::FakeRecognition>(),
                      std::make_shared<fakes::FakeSynthesizer>(),
                      std::make_shared<fakes::ManualClock>()},
        dir.filePath(QStringLiteral("prefs.ini")));
    QVERIFY(vexa::test::waitUntil([&] { return !library.loading(); }, 60000));
    QVERIFY2(library.availableCount() > 0, "no Russian voices listed");
    QCOMPARE(library.shownCount(), library.availableCount());
    const QString first = library.voices()->rows().first().identifier;
    library.selectVoice(first);
    QVERIFY(library.voices()->rows().first().selected);
    QVERIFY(!library.selectionMissing());

    const int before = library.availableCount();
    library.refreshVoices();
    QVERIFY(library.loading());
    QVERIFY(vexa::test::waitUntil([&] { return !library.loading(); }, 60000));
    QCOMPARE(library.availableCount(), before);
    qInfo("library: %d Russian voices, first %s", before, qPrintable(first));
}

QTEST_GUILESS_MAIN(VoiceRealTest)
#include "tst_voicereal.moc"
