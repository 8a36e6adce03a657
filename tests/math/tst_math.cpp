// The math typesetter: the corpus of answers' formulas sets without falling back to source;
// hostile input falls back within a time budget; the boxes keep TeX's shapes (scripts up and
// down, limits above and below in display, growing delimiters); the readable text.
#include "awaittask.h"
#include "mathfont.h"
#include "mathitem.h"
#include "mathlayout.h"
#include "mathpaint.h"
#include "mathparser.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <cmath>

using namespace vexa::math;

namespace {

struct Formula {
    QString tex;
    bool display = false;
};

QList<Formula> corpus()
{
    QFile f(QStringLiteral(VEXA_MATH_CORPUS));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<Formula> out;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(u"D ") || line.startsWith(u"I "))
            out.append({line.mid(2), line.startsWith(u'D')});
    }
    return out;
}

double glyphTop(const MathGlyph &g)
{
    const MathFont *font = MathFont::shared();
    hb_glyph_extents_t ext{};
    hb_font_get_glyph_extents(font->font(g.font), g.glyph, &ext);
    return g.y + ext.y_bearing * g.size / font->unitsPerEm(g.font);
}

// The ink's left and right ends (accents are marks whose ink lies left of their origin).
std::pair<double, double> glyphInkX(const MathGlyph &g)
{
    const MathFont *font = MathFont::shared();
    hb_glyph_extents_t ext{};
    hb_font_get_glyph_extents(font->font(g.font), g.glyph, &ext);
    const double scale = g.size / font->unitsPerEm(g.font);
    return {g.x + ext.x_bearing * scale, g.x + (ext.x_bearing + ext.width) * scale};
}

double glyphBottom(const MathGlyph &g)
{
    const MathFont *font = MathFont::shared();
    hb_glyph_extents_t ext{};
    hb_font_get_glyph_extents(font->font(g.font), g.glyph, &ext);
    return g.y + (ext.y_bearing + ext.height) * g.size / font->unitsPerEm(g.font);
}

// The ink height of what is drawn at the formula's left edge (a delimiter or a radical sign,
// whole or assembled from pieces).
double leftInk(const MathBox &box)
{
    double top = -1e9, bottom = 1e9;
    const float left = box.glyphs.first().x;
    for (const MathGlyph &g : box.glyphs) {
        if (g.x > left + 0.01f)
            continue;
        top = std::max(top, glyphTop(g));
        bottom = std::min(bottom, glyphBottom(g));
    }
    return top - bottom;
}

} // namespace

class TestMath : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(MathFont::shared(), "the bundled math font opens");
        QVERIFY(corpus().size() >= 150);
    }

    void corpusSets_data()
    {
        QTest::addColumn<QString>("tex");
        QTest::addColumn<bool>("display");
        int i = 0;
        for (const Formula &f : corpus())
            QTest::addRow("%03d %s", ++i, qPrintable(f.tex.left(40))) << f.tex << f.display;
    }

    // Every formula of the corpus sets (no fallback to source), its box holds all of its ink,
    // and it draws something.
    void corpusSets()
    {
        QFETCH(QString, tex);
        QFETCH(bool, display);
        for (double size : {14.0, 24.0}) {
            const MathLayout l = typesetMath(tex, size, display);
            QVERIFY2(l.ok, qPrintable(l.error));
            const MathBox &b = l.box;
            QVERIFY(b.width > 0 && std::isfinite(b.width));
            QVERIFY(b.height > 0 && b.depth >= 0);
            QVERIFY(b.height + b.depth < 20 * size);
            QVERIFY(!b.glyphs.isEmpty());
            const double slack = 0.05 * size;
            for (const MathGlyph &g : b.glyphs) {
                const auto [left, right] = glyphInkX(g);
                QVERIFY2(left >= -slack && right <= b.width + slack,
                         qPrintable(QStringLiteral("%1..%2 of %3").arg(left).arg(right).arg(b.width)));
                QVERIFY2(glyphTop(g) <= b.height + slack, qPrintable(QString::number(glyphTop(g))));
                QVERIFY2(glyphBottom(g) >= -b.depth - slack, qPrintable(QString::number(glyphBottom(g))));
            }
            for (const MathRule &r : b.rules) {
                QVERIFY(r.x >= -slack && r.x + r.width <= b.width + slack);
                QVERIFY(r.y >= -b.depth - slack && r.y + r.height <= b.height + slack);
            }
        }
        const MathLayout l = typesetMath(tex, 16, display);
        const QImage image = renderMath(l.box, Qt::black, 1.0);
        bool ink = false;
        for (int y = 0; y < image.height() && !ink; ++y)
            for (int x = 0; x < image.width() && !ink; ++x)
                ink = qAlpha(image.pixel(x, y)) > 128;
        QVERIFY2(ink, "draws its glyphs");
    }

    void fallsBack_data()
    {
        QTest::addColumn<QString>("tex");
        QTest::addRow("unknown command") << QStringLiteral("\\foo{x}");
        QTest::addRow("definition") << QStringLiteral("\\def\\x{\\x}\\x");
        QTest::addRow("new command") << QStringLiteral("\\newcommand{\\a}{\\a}\\a");
        QTest::addRow("left without right") << QStringLiteral("\\left( x + y");
        QTest::addRow("right without left") << QStringLiteral("x \\right)");
        QTest::addRow("environment never closed") << QStringLiteral("\\begin{pmatrix} a & b");
        QTest::addRow("mismatched end") << QStringLiteral("\\begin{pmatrix} a \\end{bmatrix}");
        QTest::addRow("unknown environment") << QStringLiteral("\\begin{tikzpicture}\\end{tikzpicture}");
        QTest::addRow("huge rule") << QStringLiteral("\\rule{100000pt}{100000pt}");
        QTest::addRow("unclosed brace") << QStringLiteral("\\frac{a}{b");
        QTest::addRow("stray brace") << QStringLiteral("a}b");
        QTest::addRow("double superscript") << QStringLiteral("x^2^3");
        QTest::addRow("double subscript") << QStringLiteral("x_1_2");
        QTest::addRow("missing argument") << QStringLiteral("\\frac{a}");
        QTest::addRow("math inside text") << QStringLiteral("\\text{a $b$}");
        QTest::addRow("command inside text") << QStringLiteral("\\text{\\def}");
        QTest::addRow("lone dollar") << QStringLiteral("a $ b");
        QTest::addRow("alignment outside arrays") << QStringLiteral("a & b");
        QTest::addRow("line break outside arrays") << QStringLiteral("a \\\\ b");
        QTest::addRow("unknown colour") << QStringLiteral("\\color{foo}{x}");
        QTest::addRow("empty") << QStringLiteral("   ");
        QTest::addRow("lone backslash") << QStringLiteral("a \\");
        QTest::addRow("control character") << QStringLiteral("a\u0001b");
        QTest::addRow("braces 10000 deep") << QString(10000, u'{') + u'x' + QString(10000, u'}');
        QTest::addRow("fractions 3000 deep") << QStringLiteral("\\frac").repeated(3000) + QStringLiteral("ab").repeated(3000);
        QTest::addRow("scripts 5000 deep") << QStringLiteral("x^").repeated(5000) + u'y';
        QTest::addRow("100 KB") << QStringLiteral("x+").repeated(50000) + u'y';
        QTest::addRow("5000 columns") << QStringLiteral("\\begin{matrix}") + QStringLiteral("a&").repeated(5000)
                                              + QStringLiteral("a\\end{matrix}");
        QTest::addRow("too many cells") << QStringLiteral("\\begin{matrix}") + QStringLiteral("a&b\\\\").repeated(1500)
                                               + QStringLiteral("\\end{matrix}");
        QTest::addRow("too many nodes") << QString(7000, u'x');
        QTest::addRow("no glyph") << QStringLiteral("\\text{\U0001F600}");
    }

    // Hostile or unknown input ends with the source shown, quickly.
    void fallsBack()
    {
        QFETCH(QString, tex);
        QElapsedTimer t;
        t.start();
        const MathLayout l = typesetMath(tex, 16, true);
        QVERIFY(!l.ok);
        QVERIFY(!l.error.isEmpty());
        QVERIFY2(t.elapsed() < vexa::test::scaledMs(2000), qPrintable(QString::number(t.elapsed())));
    }

    void shapes_data()
    {
        QTest::addColumn<QString>("tex");
        QTest::addColumn<bool>("display");
        QTest::addColumn<QString>("check");
        // Scripts: raised above and lowered below the baseline, both together apart.
        QTest::addRow("superscript raised") << "x^2" << false << "lastAbove";
        QTest::addRow("subscript lowered") << "x_2" << false << "lastBelow";
        QTest::addRow("prime raised") << "f'" << false << "lastAbove";
        QTest::addRow("sum limits above in display") << "\\sum_{i=1}^{n}" << true << "limitsStacked";
        QTest::addRow("sum limits beside inline") << "\\sum_{i=1}^{n}" << false << "limitsBeside";
        QTest::addRow("integral limits beside in display") << "\\int_0^1" << true << "limitsBeside";
        QTest::addRow("lim below in display") << "\\lim_{x \\to 0}" << true << "limitsStacked";
        QTest::addRow("display sum larger") << "\\sum" << true << "largerThanInline";
        QTest::addRow("display fraction larger") << "\\frac{a}{b}" << true << "largerThanInline";
        QTest::addRow("dfrac larger inline") << "\\dfrac{a}{b}" << false << "largerThanFrac";
        QTest::addRow("delimiters grow") << "\\left(\\frac{\\frac{a}{b}}{c}\\right)" << true << "tallGlyph";
        QTest::addRow("radical grows") << "\\sqrt{\\frac{\\frac{a}{b}}{c}}" << true << "tallGlyph";
        QTest::addRow("pmatrix parentheses grow") << "\\begin{pmatrix}a\\\\b\\\\c\\\\d\\end{pmatrix}" << true << "tallGlyph";
        QTest::addRow("assembled delimiter") << "\\left(\\begin{matrix}a\\\\b\\\\c\\\\d\\\\e\\\\f\\\\g\\\\h\\end{matrix}\\right)" << true << "assembled";
        QTest::addRow("fraction centred on axis") << "\\frac{x}{x}" << true << "barOnAxis";
        QTest::addRow("binary spacing") << "a+b" << false << "widerThanTight";
        QTest::addRow("unary minus tight") << "-b" << false << "unaryTight";
        QTest::addRow("overbrace above") << "\\overbrace{a+b}^{n}" << true << "lastAbove";
        QTest::addRow("underbrace below") << "\\underbrace{a+b}_{n}" << true << "lastBelow";
        QTest::addRow("coloured") << "\\color{red}{x}" << false << "coloured";
        QTest::addRow("cyrillic in text") << "\\text{где}" << false << "textFace";
        QTest::addRow("matrix rows stacked") << "\\begin{matrix}a\\\\b\\end{matrix}" << true << "lastBelow";
    }

    void shapes()
    {
        QFETCH(QString, tex);
        QFETCH(bool, display);
        QFETCH(QString, check);
        const double size = 20;
        const MathLayout l = typesetMath(tex, size, display);
        QVERIFY2(l.ok, qPrintable(l.error));
        const MathBox &b = l.box;
        const MathGlyph &first = b.glyphs.first();
        const MathGlyph &last = b.glyphs.last();
        if (check == u"lastAbove") {
            QVERIFY(glyphBottom(last) > glyphBottom(first) + 0.2 * size);
        } else if (check == u"lastBelow") {
            QVERIFY(glyphTop(last) < glyphTop(first) - 0.2 * size);
        } else if (check == u"limitsStacked") {
            // Above and below the operator: narrower and taller than the same beside it.
            QString beside = tex;
            beside.replace(beside.indexOf(u'_'), 1, QStringLiteral("\\nolimits_"));
            const MathLayout b2 = typesetMath(beside, size, display);
            QVERIFY2(b2.ok, qPrintable(b2.error));
            QVERIFY(b.width < b2.box.width - 0.2 * size);
            QVERIFY(b.height + b.depth > b2.box.height + b2.box.depth + 0.2 * size);
        } else if (check == u"limitsBeside") {
            QVERIFY(b.height < 1.6 * size);
            QVERIFY(last.x > first.x + 0.4 * size);
        } else if (check == u"largerThanInline") {
            const MathLayout inl = typesetMath(tex, size, false);
            QVERIFY(b.height + b.depth > 1.2 * (inl.box.height + inl.box.depth));
        } else if (check == u"largerThanFrac") {
            const MathLayout frac = typesetMath(QStringLiteral("\\frac{a}{b}"), size, false);
            QVERIFY(b.height + b.depth > 1.2 * (frac.box.height + frac.box.depth));
        } else if (check == u"tallGlyph") {
            QVERIFY2(leftInk(b) > 1.5 * size, qPrintable(QString::number(leftInk(b))));
        } else if (check == u"assembled") {
            QVERIFY2(leftInk(b) > 5 * size, qPrintable(QString::number(leftInk(b))));
            int pieces = 0;
            for (const MathGlyph &g : b.glyphs)
                pieces += g.x <= first.x + 0.01f;
            QVERIFY(pieces > 2);
        } else if (check == u"barOnAxis") {
            QCOMPARE(b.rules.size(), 1);
            const double axis = MathFont::shared()->constant(HB_OT_MATH_CONSTANT_AXIS_HEIGHT) * size;
            QVERIFY(std::abs(b.rules.first().y + b.rules.first().height / 2 - axis) < 0.02 * size);
        } else if (check == u"widerThanTight") {
            const MathLayout tight = typesetMath(QStringLiteral("ab"), size, false);
            const MathLayout plus = typesetMath(QStringLiteral("+"), size, false);
            QVERIFY(b.width > tight.box.width + plus.box.width + 0.3 * size);
        } else if (check == u"unaryTight") {
            const MathLayout minus = typesetMath(QStringLiteral("-"), size, false);
            const MathLayout letter = typesetMath(QStringLiteral("b"), size, false);
            QVERIFY(b.width < minus.box.width + letter.box.width + 0.05 * size);
        } else if (check == u"coloured") {
            QVERIFY(qRed(first.color) > 150 && qGreen(first.color) < 100);
        } else if (check == u"textFace") {
            for (const MathGlyph &g : b.glyphs)
                QCOMPARE(g.font, quint8(1));
        } else {
            QFAIL("unknown check");
        }
    }

    void item_data()
    {
        QTest::addColumn<QString>("tex");
        QTest::addColumn<bool>("sets");
        QTest::addRow("formula") << "\\frac{a}{b} + \\sqrt{x}" << true;
        QTest::addRow("unknown command") << "\\foo" << false;
        QTest::addRow("definition") << "\\def\\a{\\a}" << false;
    }

    // The QML item sets its formula on the worker pool and sizes itself to it; one it cannot
    // set says so; a second item with the same formula takes the kept result.
    void item()
    {
        QFETCH(QString, tex);
        QFETCH(bool, sets);
        MathItem first;
        first.setTextSize(18);
        first.setTex(tex);
        QTRY_VERIFY_WITH_TIMEOUT(first.ready() || first.failed(), vexa::test::scaledMs(5000));
        QCOMPARE(first.ready(), sets);
        QCOMPARE(first.implicitWidth() > 0, sets);
        QCOMPARE(first.ascent() > 0, sets);
        QVERIFY(MathItem::cached(tex, 18, false) != nullptr);
        MathItem second;
        second.setTex(tex);
        second.setTextSize(18);
        QTRY_VERIFY_WITH_TIMEOUT(second.ready() || second.failed(), vexa::test::scaledMs(5000));
        QCOMPARE(second.implicitWidth(), first.implicitWidth());
        // Another size is set anew, in proportion.
        second.setTextSize(36);
        QTRY_VERIFY_WITH_TIMEOUT(!sets || second.implicitWidth() > 1.8 * first.implicitWidth(),
                                 vexa::test::scaledMs(5000));
    }

    void spoken_data()
    {
        QTest::addColumn<QString>("tex");
        QTest::addColumn<QString>("spoken");
        QTest::addRow("squares") << "a^2 + b^2" << "a в квадрате плюс b в квадрате";
        QTest::addRow("power") << "a^n" << "a в степени n";
        QTest::addRow("index") << "x_1" << "x с индексом 1";
        QTest::addRow("short fraction") << "\\frac{a}{b}" << "a делить на b";
        QTest::addRow("long fraction") << "\\frac{a+b}{2}" << "дробь, в числителе a плюс b, в знаменателе 2";
        QTest::addRow("root") << "\\sqrt{x}" << "квадратный корень из x";
        QTest::addRow("cube root") << "\\sqrt[3]{8}" << "кубический корень из 8";
        QTest::addRow("sum") << "\\sum_{i=1}^{n} i" << "сумма от i равно 1 до n i";
        QTest::addRow("greek and relations") << "\\alpha \\le \\beta" << "альфа меньше или равно бета";
        QTest::addRow("function") << "\\sin x" << "синус x";
        QTest::addRow("text kept") << "S_{\\text{треугольника}}" << "S с индексом треугольника";
        QTest::addRow("vector") << "\\vec{F} = m\\vec{a}" << "вектор F равно m вектор a";
        QTest::addRow("modulus") << "\\left| x \\right|" << "модуль x";
        QTest::addRow("binomial") << "\\binom{n}{k}" << "биномиальный коэффициент из n по k";
        QTest::addRow("system") << "\\begin{cases} x = 1 \\\\ y = 2 \\end{cases}" << "система: x равно 1; y равно 2.";
        QTest::addRow("infinity") << "x \\to \\infty" << "x стремится к бесконечность";
    }

    void spoken()
    {
        QFETCH(QString, tex);
        QFETCH(QString, spoken);
        const ParseResult p = parseMath(tex);
        QVERIFY2(p.root, qPrintable(p.error));
        QCOMPARE(spokenMath(*p.root), spoken);
    }
};

QTEST_MAIN(TestMath)
#include "tst_math.moc"
