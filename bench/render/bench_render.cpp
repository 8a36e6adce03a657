// 200 answers of the kinds the service writes — prose with marks and links, headings, nested
// lists and task lists, quotes, tables, and code in a dozen languages — rendered as the chat
// renders them: parsed into blocks, every code block coloured by the highlighter with its
// default budget. The thread's CPU time per answer (median of five renders of each), then over
// the 200 answers render_ms_median and render_ms_worst; the highlighter's µs per code line
// beside them.
#include "answerblocks.h"
#include "benchtiming.h"
#include "highlight.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

using namespace vexa;

namespace {

QString sample(const QString &language)
{
    QFile f(QStringLiteral(VEXA_HIGHLIGHT_SAMPLES) + u'/' + language + QStringLiteral(".txt"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

// Answer i of the corpus: a mix that changes with i, one to three code blocks in most.
QString makeAnswer(int i, const QStringList &languages, const QList<QString> &samples)
{
    QString a;
    a += QStringLiteral("## Ответ %1\n\nВот что **важно** знать: _кратко_, с `кодом` и "
                        "[ссылкой](https://example.org/doc/%1).\nВторая строка абзаца.\n\n")
             .arg(i);
    if (i % 3 == 0) {
        a += QStringLiteral("| Параметр | Значение | Заметка |\n|:--|:-:|--:|\n");
        for (int r = 0; r < 6; ++r)
            a += QStringLiteral("| p%1 | **%2** | строка %1 |\n").arg(r).arg(r * i);
        a += u'\n';
    }
    if (i % 4 == 1) {
        a += QStringLiteral("1. Первый шаг\n2. Второй:\n   - вложенный\n     - глубже\n"
                            "   - [x] сделано\n   - [ ] осталось\n3. Третий\n\n");
    }
    if (i % 5 == 2)
        a += QStringLiteral("> Цитата с *акцентом*\n> > и вложенная\n\n---\n\n");
    const int blocks = i % 7 == 6 ? 0 : 1 + i % 3;
    for (int b = 0; b < blocks; ++b) {
        const int l = (i * 3 + b * 5) % languages.size();
        const QStringList lines = samples[l].split(u'\n');
        // 10 to 40 lines of the sample, repeated where it is shorter.
        const int count = 10 + (i * 7 + b * 11) % 31;
        a += QStringLiteral("```") + languages[l] + u'\n';
        for (int k = 0; k < count; ++k)
            a += lines[k % lines.size()] + u'\n';
        a += QStringLiteral("```\n\nПояснение к фрагменту %1.\n\n").arg(b + 1);
    }
    return a;
}

} // namespace

int main()
{
    using bench::median;
    using bench::threadCpuMs;
    const QStringList languages = {"python", "cpp", "javascript", "typescript", "go", "rust",
        "java", "kotlin", "swift", "bash", "sql", "json", "yaml", "html", "css", "diff"};
    QList<QString> samples;
    for (const QString &l : languages) {
        samples.append(sample(l));
        if (samples.last().isEmpty()) {
            std::fprintf(stderr, "no sample for %s\n", qPrintable(l));
            return 1;
        }
    }
    QStringList corpus;
    for (int i = 0; i < 200; ++i)
        corpus.append(makeAnswer(i, languages, samples));

    // Every language's definition read once first, as the app's first code panels do.
    for (const QString &l : languages)
        highlight::highlight(l, QStringLiteral("x"));

    std::vector<double> perAnswer;
    double codeMs = 0;
    qsizetype codeLines = 0;
    for (const QString &markdown : corpus) {
        std::vector<double> runs;
        for (int r = 0; r < 5; ++r) {
            const double t0 = threadCpuMs();
            const answer::Answer parsed = answer::parseAnswer(markdown);
            double highlightMs = 0;
            qsizetype lines = 0;
            for (const answer::AnswerBlock &block : parsed.blocks) {
                if (block.kind != answer::BlockKind::Code)
                    continue;
                const double h0 = threadCpuMs();
                const highlight::Result result = highlight::highlight(
                    highlight::canonicalLanguage(block.language), block.code);
                highlightMs += threadCpuMs() - h0;
                lines += result.lines.size();
            }
            runs.push_back(threadCpuMs() - t0);
            if (r == 0) {
                codeMs += highlightMs;
                codeLines += lines;
            }
        }
        perAnswer.push_back(median(runs));
    }
    std::printf("render_answers=%d\n", int(corpus.size()));
    std::printf("render_ms_median=%.3f\n", median(perAnswer));
    std::printf("render_ms_worst=%.3f\n", *std::max_element(perAnswer.begin(), perAnswer.end()));
    std::printf("render_code_lines=%lld\n", static_cast<long long>(codeLines));
    std::printf("highlight_us_per_line=%.2f\n", codeLines ? codeMs * 1000.0 / double(codeLines) : 0.0);
    return 0;
}
