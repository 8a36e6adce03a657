// The math typesetter over the test corpus (tests/math/corpus.txt): how long one formula takes
// to set (thread CPU time, median of five per formula), how many fall back to source, and,
// where TeX is installed, how far our boxes are from TeX's own for the same formulas.
//
// TeX's boxes: one LaTeX run (amsmath, amssymb) sets each formula as \hbox{$...$} at 10 pt and
// writes \wd, \ht and \dp to its log; formulas TeX itself rejects (commands LaTeX lacks, such
// as \tg, or Cyrillic without its fonts) are left out of the comparison and counted. Ours are
// set at 10 px, so a point is a pixel. A formula's error is the largest of |Δwidth| / width,
// |Δheight| / (height + depth) and |Δdepth| / (height + depth), TeX's sizes as the reference.
//
// BENCH_MATH_SHOT=page.png also draws the corpus at 14 and 24 px, to look at: page-1.png,
// page-2.png... of 45 formulas each.
#include "benchtiming.h"
#include "mathlayout.h"
#include "mathpaint.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

using namespace vexa;
using vexa::math::MathLayout;

namespace {

struct Formula {
    QString tex;
    bool display = false;
};

QList<Formula> corpus()
{
    QFile f(QStringLiteral(VEXA_MATH_CORPUS));
    QList<Formula> out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(u"D ") || line.startsWith(u"I "))
            out.append({line.mid(2), line.startsWith(u'D')});
    }
    return out;
}

struct Dims {
    double w = 0, h = 0, d = 0;
    bool ok = false;
};

// TeX's boxes, in corpus order; empty when TeX is not installed.
QList<Dims> texBoxes(const QList<Formula> &formulas, QString *note)
{
    const QString latex = QStandardPaths::findExecutable(QStringLiteral("latex"));
    if (latex.isEmpty()) {
        *note = QStringLiteral("TeX is not installed (texlive-latex-base): no comparison");
        return {};
    }
    QTemporaryDir dir;
    QFile doc(dir.filePath(QStringLiteral("boxes.tex")));
    if (!doc.open(QIODevice::WriteOnly))
        return {};
    QString src = QStringLiteral("\\documentclass[10pt]{article}\\usepackage{amsmath,amssymb,color}"
                                 "\\begin{document}\n");
    for (int i = 0; i < formulas.size(); ++i) {
        QString tex = formulas[i].tex;
        // The multi-line environments of a display become their in-formula forms.
        tex.replace(QStringLiteral("{align*}"), QStringLiteral("{aligned}"));
        tex.replace(QStringLiteral("{gather*}"), QStringLiteral("{gathered}"));
        src += QStringLiteral("\\setbox0\\hbox{$%1%2$}\\typeout{BOX %3 \\the\\wd0 \\the\\ht0 \\the\\dp0}\n")
                   .arg(formulas[i].display ? QStringLiteral("\\displaystyle ") : QString(), tex)
                   .arg(i);
    }
    src += QStringLiteral("\\end{document}\n");
    doc.write(src.toUtf8());
    doc.close();
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(latex, {QStringLiteral("-interaction=nonstopmode"), QStringLiteral("boxes.tex")});
    if (!p.waitForFinished(300'000)) {
        p.kill();
        *note = QStringLiteral("TeX did not finish");
        return {};
    }
    QFile log(dir.filePath(QStringLiteral("boxes.log")));
    if (!log.open(QIODevice::ReadOnly)) {
        *note = QStringLiteral("TeX wrote no log");
        return {};
    }
    QList<Dims> out(formulas.size());
    static const QRegularExpression box(QStringLiteral("^BOX (\\d+) ([-\\d.]+)pt\\s*([-\\d.]+)pt\\s*([-\\d.]+)pt"));
    bool error = false;
    for (const QByteArray &raw : log.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(u'!'))
            error = true;
        const auto m = box.match(line);
        if (!m.hasMatch())
            continue;
        const int i = m.captured(1).toInt();
        if (i >= 0 && i < out.size())
            out[i] = {m.captured(2).toDouble(), m.captured(3).toDouble(), m.captured(4).toDouble(), !error};
        error = false;
    }
    return out;
}

void shoot(const QList<Formula> &formulas, const QString &path)
{
    const int columns = 3, width = 1800;
    QList<MathLayout> small, large;
    for (const Formula &f : formulas) {
        small.append(math::typesetMath(f.tex, 14, f.display));
        large.append(math::typesetMath(f.tex, 24, f.display));
    }
    QImage page(width, 60 * ((formulas.size() + columns - 1) / columns) * 2 + 40, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    QPainter p(&page);
    double y = 30;
    for (int i = 0; i < formulas.size(); i += columns) {
        double rowH = 0, rowD = 0;
        for (int c = 0; c < columns && i + c < formulas.size(); ++c) {
            rowH = std::max(rowH, large[i + c].box.height);
            rowD = std::max(rowD, large[i + c].box.depth);
        }
        y += rowH;
        for (int c = 0; c < columns && i + c < formulas.size(); ++c) {
            const double x = 20 + c * (width / columns);
            if (small[i + c].ok)
                math::paintMath(p, small[i + c].box, QPointF(x, y), QColor(30, 30, 40));
            if (large[i + c].ok)
                math::paintMath(p, large[i + c].box, QPointF(x + small[i + c].box.width + 20, y), QColor(30, 30, 40));
            else
                p.drawText(QPointF(x, y), formulas[i + c].tex);
        }
        y += rowD + 16;
    }
    p.end();
    page.copy(0, 0, width, int(y + 10)).save(path);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv); // the painter's glyph runs need the font database
    const QList<Formula> formulas = corpus();
    std::vector<double> times;
    int fallbacks = 0;
    QList<Dims> ours;
    for (const Formula &f : formulas) {
        std::vector<double> runs;
        MathLayout l;
        for (int r = 0; r < 5; ++r) {
            const double t0 = bench::threadCpuMs();
            l = math::typesetMath(f.tex, 10, f.display);
            runs.push_back(bench::threadCpuMs() - t0);
        }
        times.push_back(bench::median(runs) * 1000);
        if (!l.ok) {
            ++fallbacks;
            std::fprintf(stderr, "fallback: %s (%s)\n", qPrintable(f.tex), qPrintable(l.error));
        }
        ours.append({l.box.width, l.box.height, l.box.depth, l.ok});
    }
    if (const QString shot = qEnvironmentVariable("BENCH_MATH_SHOT"); !shot.isEmpty()) {
        for (int i = 0; i * 45 < formulas.size(); ++i) {
            QString path = shot;
            path.insert(path.lastIndexOf(u'.'), QStringLiteral("-%1").arg(i + 1));
            shoot(formulas.mid(i * 45, 45), path);
        }
    }

    std::printf("math_typeset_us_median=%.1f\n", bench::median(times));
    std::printf("math_typeset_us_worst=%.1f\n", times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()));
    QString note;
    const QList<Dims> tex = texBoxes(formulas, &note);
    std::vector<double> errors;
    int skipped = 0;
    for (int i = 0; i < tex.size(); ++i) {
        if (!tex[i].ok || !ours[i].ok || tex[i].w <= 0 || tex[i].h + tex[i].d <= 0) {
            ++skipped;
            continue;
        }
        const double vertical = tex[i].h + tex[i].d;
        const double e = std::max({std::abs(ours[i].w - tex[i].w) / tex[i].w,
                                   std::abs(ours[i].h - tex[i].h) / vertical,
                                   std::abs(ours[i].d - tex[i].d) / vertical});
        errors.push_back(e);
        if (qEnvironmentVariableIsSet("BENCH_MATH_DETAIL"))
            std::fprintf(stderr, "%.3f  %s  ours %.2f %.2f %.2f  tex %.2f %.2f %.2f\n", e,
                         qPrintable(formulas[i].tex), ours[i].w, ours[i].h, ours[i].d, tex[i].w, tex[i].h, tex[i].d);
    }
    if (!note.isEmpty())
        std::printf("# %s\n", qPrintable(note));
    else
        std::printf("math_tex_compared=%d\nmath_tex_skipped=%d\n", int(errors.size()), skipped);
    std::printf("math_corpus_size=%d\n", int(formulas.size()));
    std::printf("math_corpus_fallbacks=%d\n", fallbacks);
    if (!errors.empty()) {
        std::printf("math_tex_error_median=%.3f\n", bench::median(errors));
        std::printf("math_tex_error_worst=%.3f\n", *std::max_element(errors.begin(), errors.end()));
    }
    return 0;
}
