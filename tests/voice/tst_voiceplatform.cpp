// The platform-side pieces that need no device: resampling for the recognizer, WAV reading,
// word error counting, model folders, and the PocketSphinx service's answers to VoiceService.
#include "awaittask.h"
#include "platform/pcmresampler.h"
#include "platform/qtaudiocapture.h"
#include "platform/pocketsphinxrecognition.h"
#include "platform/speechmodels.h"
#include "replay/wavfilecapture.h"
#include "replay/worderrors.h"
#include "voicefakes.h"
#include "voiceservice.h"
#include "voicelevel.h"
#include "voicetexts.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <limits>
#include <numbers>

using namespace vexa::voice;
using namespace vexa::voice::fakes;

class VoicePlatformTest : public QObject
{
    Q_OBJECT

private slots:
    void captureLevelReadsFirstChannel_data();
    void captureLevelReadsFirstChannel();
    void resampling_data();
    void resampling();
    void resamplingKeepsEqualRatesExact();
    void wavReading();
    void wordErrors_data();
    void wordErrors();
    void modelFolders_data();
    void modelFolders();
    void sphinxServiceAnswers_data();
    void sphinxServiceAnswers();
};

namespace {

std::vector<float> tone(int rate, double frequency, double seconds, double amplitude = 0.5)
{
    std::vector<float> samples(size_t(rate * seconds));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(amplitude * std::sin(2 * std::numbers::pi * frequency * double(i) / rate));
    return samples;
}

double rms(const std::vector<int16_t> &pcm, size_t from, size_t to)
{
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += (pcm[i] / 32768.0) * (pcm[i] / 32768.0);
    return std::sqrt(sum / double(to - from));
}

int signChanges(const std::vector<int16_t> &pcm, size_t from, size_t to)
{
    int changes = 0;
    for (size_t i = from + 1; i < to; ++i)
        changes += (pcm[i - 1] < 0) != (pcm[i] < 0);
    return changes;
}

QByteArray wavBytes(int channels, int rate, const std::vector<qint16> &interleaved)
{
    QByteArray data;
    for (qint16 s : interleaved) {
        char le[2];
        qToLittleEndian(s, le);
        data.append(le, 2);
    }
    auto u32 = [](quint32 v) { char b[4]; qToLittleEndian(v, b); return QByteArray(b, 4); };
    auto u16 = [](quint16 v) { char b[2]; qToLittleEndian(v, b); return QByteArray(b, 2); };
    QByteArray fmt = u16(1) + u16(quint16(channels)) + u32(quint32(rate))
                     + u32(quint32(rate * channels * 2)) + u16(quint16(channels * 2)) + u16(16);
    QByteArray body = "WAVE" + QByteArray("fmt ") + u32(16) + fmt + QByteArray("LIST") + u32(4)
                      + QByteArray("INFO") + QByteArray("data") + u32(quint32(data.size())) + data;
    return "RIFF" + u32(quint32(body.size())) + body;
}

} // namespace

void VoicePlatformTest::captureLevelReadsFirstChannel_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<float>("first");  // the first channel's (constant) sample value
    QTest::addColumn<float>("others"); // every other channel's
    QTest::addColumn<bool>("voice");   // what the level check must say

    QTest::newRow("mono, loud") << 1 << 0.5f << 0.0f << true;
    QTest::newRow("mono, quiet") << 1 << 0.01f << 0.0f << false;
    // A stereo microphone whose second channel is the first inverted mixes to silence.
    QTest::newRow("stereo, second inverted") << 2 << 0.5f << -0.5f << true;
    QTest::newRow("stereo, only the second loud") << 2 << 0.0f << 0.5f << false;
    QTest::newRow("four channels, only the first speaks") << 4 << 0.05f << 0.0f << true;
    QTest::newRow("four channels, first quiet, others loud") << 4 << 0.01f << 0.3f << false;
}

void VoicePlatformTest::captureLevelReadsFirstChannel()
{
    QFETCH(int, channels);
    QFETCH(float, first);
    QFETCH(float, others);
    QFETCH(bool, voice);

    QAudioFormat format;
    format.setSampleRate(16000);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Float);
    constexpr int kFrames = 256;
    std::vector<float> mixed;
    std::optional<bool> heardVoice;
    CaptureSink sink(format, [&](const AudioBuffer &buffer) {
        mixed.assign(buffer.samples, buffer.samples + buffer.frameLength);
        heardVoice = isVoiceLevel(sampledLevel(buffer.levelSamples(), buffer.frameLength));
    });
    sink.setBufferFrames(kFrames);
    QVERIFY(sink.open(QIODevice::WriteOnly));

    std::vector<float> interleaved;
    for (int f = 0; f < kFrames; ++f) {
        interleaved.push_back(first);
        for (int c = 1; c < channels; ++c)
            interleaved.push_back(others);
    }
    // In two writes, the first ending inside a frame, as a device may deliver them.
    const auto *bytes = reinterpret_cast<const char *>(interleaved.data());
    const qint64 size = qint64(interleaved.size() * sizeof(float));
    const qint64 cut = size / 2 + 1;
    QCOMPARE(sink.write(bytes, cut), cut);
    QVERIFY(!heardVoice);
    QCOMPARE(sink.write(bytes + cut, size - cut), size - cut);

    QVERIFY(heardVoice);
    QCOMPARE(*heardVoice, voice);
    // The recogniser still gets every channel mixed.
    QCOMPARE(int(mixed.size()), kFrames);
    QCOMPARE(mixed.front(), (first + others * float(channels - 1)) / float(channels));
}

void VoicePlatformTest::resampling_data()
{
    QTest::addColumn<int>("inputRate");
    QTest::addColumn<double>("frequency");
    QTest::addColumn<bool>("passes");

    QTest::newRow("48 kHz, 1 kHz speech band") << 48000 << 1000.0 << true;
    QTest::newRow("44.1 kHz, 3 kHz") << 44100 << 3000.0 << true;
    QTest::newRow("22.05 kHz, 300 Hz") << 22050 << 300.0 << true;
    QTest::newRow("8 kHz up-sampled, 1 kHz") << 8000 << 1000.0 << true;
    QTest::newRow("48 kHz, 12 kHz above the new Nyquist") << 48000 << 12000.0 << false;
    QTest::newRow("44.1 kHz, 15 kHz above the new Nyquist") << 44100 << 15000.0 << false;
}

void VoicePlatformTest::resampling()
{
    QFETCH(int, inputRate);
    QFETCH(double, frequency);
    QFETCH(bool, passes);

    const std::vector<float> input = tone(inputRate, frequency, 1.0);
    PcmResampler resampler(16000);
    std::vector<int16_t> out;
    // Odd-sized pieces, as a device delivers them.
    for (size_t at = 0; at < input.size(); at += 997)
        resampler.push(input.data() + at, qsizetype(std::min<size_t>(997, input.size() - at)),
                       inputRate, out);
    resampler.flush(out);

    QVERIFY2(std::abs(int(out.size()) - 16000) <= 2, qPrintable(QString::number(out.size())));
    const size_t from = 2000, to = 14000; // away from the stream's edges
    const double level = rms(out, from, to);
    if (passes) {
        QVERIFY2(std::abs(level - 0.5 / std::sqrt(2.0)) < 0.01, qPrintable(QString::number(level)));
        const double measured = signChanges(out, from, to) / 2.0 / ((to - from) / 16000.0);
        QVERIFY2(std::abs(measured - frequency) < frequency * 0.01,
                 qPrintable(QString::number(measured)));
    } else {
        // Folded back it would sound at full strength inside the speech band.
        QVERIFY2(level < 0.01, qPrintable(QString::number(level)));
    }
}

void VoicePlatformTest::resamplingKeepsEqualRatesExact()
{
    std::vector<float> input;
    for (int v : {0, 1, -1, 32767, -32768, 1234, -4321})
        input.push_back(float(v) / 32768.0f);
    // Beyond full scale clips; a sample that is not a number is silence.
    input.insert(input.end(), {1.0f, 3.0f, -2.0f, std::numeric_limits<float>::quiet_NaN()});
    PcmResampler resampler(16000);
    std::vector<int16_t> out;
    resampler.push(input.data(), qsizetype(input.size()), 16000, out);
    resampler.flush(out);
    QCOMPARE(out, (std::vector<int16_t>{0, 1, -1, 32767, -32768, 1234, -4321, 32767, 32767,
                                        -32768, 0}));
}

void VoicePlatformTest::wavReading()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stereo.wav"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // Stereo frames (L, R); an odd chunk (LIST) before the data must be skipped.
    file.write(wavBytes(2, 22050, {16384, 0, -32768, -32768, 100, 300}));
    file.close();

    QString error;
    const auto recording = readWav(path, &error);
    QVERIFY2(recording, qPrintable(error));
    QCOMPARE(recording->sampleRate, 22050);
    QCOMPARE(recording->samples, (std::vector<float>{0.25f, -1.0f, 200.0f / 32768.0f}));

    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray("RIFF\x04\x00\x00\x00WAVX", 12));
    file.close();
    QVERIFY(!readWav(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!readWav(dir.filePath(QStringLiteral("missing.wav"))));
}

void VoicePlatformTest::wordErrors_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("hypothesis");
    QTest::addColumn<int>("errors");
    QTest::addColumn<int>("words");

    QTest::newRow("identical, case and punctuation aside")
        << "he was not an ill disposed young man" << "He was not an ill-disposed young man." << 0 << 8;
    QTest::newRow("substitution") << "a b c" << "a x c" << 1 << 3;
    QTest::newRow("deletion and insertion") << "a b c" << "a c d" << 2 << 3;
    QTest::newRow("nothing heard") << "a b c" << "" << 3 << 3;
    QTest::newRow("empty reference") << "" << "a" << 1 << 0;
}

void VoicePlatformTest::wordErrors()
{
    QFETCH(QString, reference);
    QFETCH(QString, hypothesis);
    QFETCH(int, errors);
    QFETCH(int, words);
    const WordErrors counted = vexa::voice::wordErrors(reference, hypothesis);
    QCOMPARE(counted.errors, errors);
    QCOMPARE(counted.referenceWords, words);
}

void VoicePlatformTest::modelFolders_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("acoustic"); // relative; "" = no model
    QTest::addColumn<QString>("languageModel");

    const QStringList acousticFiles{"am/mdef", "am/means", "am/variances"};
    QTest::newRow("shipped layout, phone model beside the word model")
        << acousticFiles + QStringList{"ru-phone.lm.bin", "ru.lm.bin", "ru.dic"} << "am"
        << "ru.lm.bin";
    QTest::newRow("acoustic files in the folder itself")
        << QStringList{"mdef", "means", "variances", "ru.lm", "ru.dict"} << "." << "ru.lm";
    QTest::newRow("no dictionary") << acousticFiles + QStringList{"ru.lm"} << "" << "";
    QTest::newRow("no language model") << acousticFiles + QStringList{"ru.dic"} << "" << "";
    QTest::newRow("incomplete acoustic model")
        << QStringList{"am/mdef", "am/means", "ru.lm", "ru.dic"} << "" << "";
}

void VoicePlatformTest::modelFolders()
{
    QFETCH(QStringList, files);
    QFETCH(QString, acoustic);
    QFETCH(QString, languageModel);

    QTemporaryDir dir;
    for (const QString &name : files) {
        QDir().mkpath(QFileInfo(dir.filePath(name)).absolutePath());
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const auto model = speechModelIn(dir.path());
    QCOMPARE(model.has_value(), !acoustic.isEmpty());
    if (model) {
        QCOMPARE(QDir(model->acousticModel), QDir(dir.filePath(acoustic)));
        QCOMPARE(QFileInfo(model->languageModel).fileName(), languageModel);
    }
}

void VoicePlatformTest::sphinxServiceAnswers_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("error"); // "" = listening

    QTest::newRow("English from Debian's model") << "en-US" << "";
    QTest::newRow("a language without a model folder") << "fr-FR" << texts::recognizerUnavailable();
    QTest::newRow("not a language") << "xx" << texts::recognizerUnavailable();
}

void VoicePlatformTest::sphinxServiceAnswers()
{
    QFETCH(QString, locale);
    QFETCH(QString, error);

    QStandardPaths::setTestModeEnabled(true); // no model folders of the user's
    auto capture = std::make_shared<FakeCapture>();
    auto clock = std::make_shared<ManualClock>();
    {
        VoiceService service(VoicePlatform{capture, std::make_shared<PocketSphinxRecognition>(),
                                           std::make_shared<FakeSynthesizer>(), clock});
        QVERIFY(vexa::test::awaitVoid(service.start(locale, true)));
        QCOMPARE(service.errorMessage().value_or(QString()), error);
        QCOMPARE(service.isListening(), error.isEmpty());
        service.stopListening();
    }
    clock->advance(std::chrono::seconds(1));
    QCOMPARE(capture->liveTaps, 0);
}

QTEST_GUILESS_MAIN(VoicePlatformTest)
#include "tst_voiceplatform.moc"
