// The app's highlighter (vexa::highlight::highlight, source-highlight underneath) on the samples
// of every language the answers colour, each repeated to a 5,000-line block: the thread's CPU
// time per line, median of five runs per language, then the mean over the languages as
// highlight_us_per_line. Also the cost of one long line at the line limit, and the definitions'
// first reading.
#include "benchtiming.h"
#include "highlight.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

using namespace vexa::highlight;

namespace {

QString block(const QString &sample, int lines)
{
    const QStringList sampleLines = sample.split(u'\n');
    QString out;
    for (int i = 0; i < lines; ++i)
        out += sampleLines[i % sampleLines.size()] + u'\n';
    return out;
}

} // namespace

int main()
{
    using vexa::bench::median;
    using vexa::bench::threadCpuMs;
    const QString samples = QStringLiteral(VEXA_HIGHLIGHT_SAMPLES);
    const QStringList names = {"python", "c", "cpp", "csharp", "java", "javascript", "typescript",
        "go", "rust", "kotlin", "swift", "php", "ruby", "sql", "bash", "json", "yaml", "html",
        "xml", "css", "markdown", "diff"};
    const Budget unlimited{.maxChars = 1 << 24, .maxLines = 1 << 20, .maxLineChars = 1 << 20,
                           .time = std::chrono::milliseconds(600000)};
    constexpr int kLines = 5000;
    double sum = 0;
    double worst = 0;
    double loadSum = 0;
    for (const QString &name : names) {
        QFile f(samples + u'/' + name + QStringLiteral(".txt"));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "no sample %s\n", qPrintable(name));
            return 1;
        }
        const QString code = block(QString::fromUtf8(f.readAll()).trimmed(), kLines);
        double t0 = threadCpuMs();
        highlight(name, QStringLiteral("x"), unlimited);
        loadSum += threadCpuMs() - t0;
        std::vector<double> runs;
        for (int i = 0; i < 5; ++i) {
            t0 = threadCpuMs();
            const Result r = highlight(name, code, unlimited);
            runs.push_back((threadCpuMs() - t0) * 1000.0 / kLines);
            if (!r.complete)
                std::fprintf(stderr, "%s: incomplete\n", qPrintable(name));
        }
        const double us = median(runs);
        std::printf("highlight_%s_us_per_line=%.2f\n", qPrintable(name), us);
        sum += us;
        worst = std::max(worst, us);
    }
    std::printf("highlight_load_ms_mean=%.2f\n", loadSum / double(names.size()));
    std::printf("highlight_us_per_line_worst=%.2f\n", worst);
    std::printf("highlight_us_per_line=%.2f\n", sum / double(names.size()));

    // One line of the largest length still coloured, of the characters that make the
    // tokenizer try every rule at each position.
    Budget defaults;
    for (qsizetype length : {qsizetype(1000), qsizetype(2000), defaults.maxLineChars}) {
        const QString line = QString(length / 2, u'(') + QString(length - length / 2, u'a');
        std::vector<double> runs;
        for (int i = 0; i < 3; ++i) {
            const double t0 = threadCpuMs();
            highlight(QStringLiteral("cpp"), line, unlimited);
            runs.push_back(threadCpuMs() - t0);
        }
        std::printf("highlight_line_%lld_chars_ms=%.2f\n", static_cast<long long>(length), median(runs));
    }
    return 0;
}
