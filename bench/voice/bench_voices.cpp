// The real voice catalog: how long speech-dispatcher takes to list its voices through Qt, and how
// long sorting them for one language takes. Last line: voices_sort_ms=<median ms for ru-RU>.
#include "platform/qtspeechsynthesizer.h"
#include "vexavoicecatalog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vexa::voice;

namespace {

constexpr int kSortRuns = 31;

double medianSortMs(const VexaVoiceCatalog &catalog, const QString &locale, qsizetype *count)
{
    std::vector<double> runs;
    for (int i = 0; i < kSortRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QList<VoiceInfo> sorted =
            VexaVoiceCatalog::sorted(catalog.inventory(), catalog.voices(), locale);
        runs.push_back(double(timer.nsecsElapsed()) / 1e6);
        *count = sorted.size();
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QProcess::execute(QStringLiteral("speech-dispatcher"), {QStringLiteral("--spawn")});

    QElapsedTimer fill;
    fill.start();
    VexaVoiceCatalog catalog(std::make_shared<QtSpeechSynthesizer>());
    QEventLoop loop;
    QObject::connect(&catalog, &VexaVoiceCatalog::loadingChanged, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    if (catalog.loading())
        loop.exec();
    const double fillMs = double(fill.nsecsElapsed()) / 1e6;
    if (catalog.count() == 0) {
        std::fprintf(stderr, "no voices listed (speech-dispatcher with espeak-ng installed?)\n");
        return 1;
    }
    std::printf("listed %d voices in %.0f ms, off the main thread\n", catalog.count(), fillMs);

    qsizetype english = 0, russian = 0;
    const double englishMs = medianSortMs(catalog, QStringLiteral("en-US"), &english);
    std::printf("en-US: %lld voices sorted, median %.2f ms\n", qlonglong(english), englishMs);
    const double russianMs = medianSortMs(catalog, QStringLiteral("ru-RU"), &russian);
    std::printf("ru-RU: %lld voices sorted, median %.2f ms\n", qlonglong(russian), russianMs);
    std::printf("voices_sort_ms=%.2f\n", russianMs);
    return 0;
}
