// Dictation speed and accuracy: our capture → recognizer path against the bare
// `pocketsphinx_continuous -infile` on Debian's librivox recordings. Both load the model and
// decode each file from scratch. Last line: dictation_rtf_ratio=<our time / bare time>.
#include "replay/recordingrecognition.h"
#include "replay/wavfilecapture.h"
#include "replay/worderrors.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vexa::voice;

namespace {

const QString kLibrivox = QStringLiteral("/usr/share/pocketsphinx/test/data/librivox");
constexpr int kRounds = 3;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QHash<QString, QString> references =
        readTranscriptions(kLibrivox + QStringLiteral("/transcription"));
    QStringList clips = references.keys();
    clips.sort();
    if (clips.isEmpty()) {
        std::fprintf(stderr, "no recordings in %s (install pocketsphinx-testdata)\n",
                     qPrintable(kLibrivox));
        return 1;
    }

    double audioSeconds = 0;
    std::vector<double> oursRounds, bareRounds;
    WordErrors oursErrors, bareErrors;
    for (int round = 0; round < kRounds; ++round) {
        double oursTotal = 0, bareTotal = 0;
        for (const QString &clip : clips) {
            const QString wav = kLibrivox + u'/' + clip + QStringLiteral(".wav");
            // Alternate which runs first, so neither always gets a warm cache.
            std::optional<RecordingTranscript> ours, bare;
            if (round % 2 == 0) {
                ours = recognizeRecording(wav, QStringLiteral("en-US"));
                bare = recognizeWithBarePocketSphinx(wav);
            } else {
                bare = recognizeWithBarePocketSphinx(wav);
                ours = recognizeRecording(wav, QStringLiteral("en-US"));
            }
            if (!ours || !bare) {
                std::fprintf(stderr, "%s: %s failed\n", qPrintable(clip),
                             !ours ? "our recognizer" : "pocketsphinx_continuous");
                return 1;
            }
            oursTotal += ours->seconds;
            bareTotal += bare->seconds;
            if (round == 0) {
                audioSeconds += readWav(wav)->seconds();
                const WordErrors o = wordErrors(references.value(clip), ours->text);
                const WordErrors b = wordErrors(references.value(clip), bare->text);
                oursErrors += o;
                bareErrors += b;
                std::printf("%s: ours WER %.3f %.2f s | bare WER %.3f %.2f s\n", qPrintable(clip),
                            o.rate(), ours->seconds, b.rate(), bare->seconds);
            }
        }
        oursRounds.push_back(oursTotal);
        bareRounds.push_back(bareTotal);
    }

    const double ours = median(oursRounds);
    const double bare = median(bareRounds);
    std::printf("audio %.2f s in %zu files, median of %d rounds\n", audioSeconds,
                size_t(clips.size()), kRounds);
    std::printf("ours: WER %.3f, %.2f s, real-time factor %.3f\n", oursErrors.rate(), ours,
                ours / audioSeconds);
    std::printf("bare: WER %.3f, %.2f s, real-time factor %.3f\n", bareErrors.rate(), bare,
                bare / audioSeconds);
    std::printf("dictation_rtf_ratio=%.3f\n", ours / bare);
    return 0;
}
