// Formulas in answers: which dollars and brackets open a formula (money and code stay text),
// display formulas as blocks of their own, formulas inside text read aloud, the model's rows.
#include "answerblocks.h"
#include "answermath.h"
#include "answermodel.h"
#include "awaittask.h"
#include "inlinemath.h"
#include "quickscreen.h"

#include "mathitem.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QRegularExpression>
#include <QtMath>
#include <QTest>

using namespace vexa::answer;

namespace {

// One line per block: its kind and plain text (a formula block: its TeX and readable text).
QStringList describe(const Answer &answer)
{
    QStringList lines;
    for (const AnswerBlock &b : answer.blocks) {
        switch (b.kind) {
        case BlockKind::Math: lines << QStringLiteral("math: %1 = %2").arg(b.code, b.text.plain); break;
        case BlockKind::Code: lines << QStringLiteral("code: ") + b.code; break;
        case BlockKind::List: {
            QStringList items;
            for (const ListItem &item : b.items)
                items << item.text.plain;
            lines << QStringLiteral("list: ") + items.join(QStringLiteral(" | "));
            break;
        }
        default: lines << QStringLiteral("text: ") + b.text.plain; break;
        }
    }
    return lines;
}

QList<vexa::math::MathItem *> formulasIn(QQuickItem *item)
{
    QList<vexa::math::MathItem *> out;
    if (auto *m = qobject_cast<vexa::math::MathItem *>(item))
        out.append(m);
    for (QQuickItem *child : item->childItems())
        out += formulasIn(child);
    return out;
}

// The first block's styled text of an answer.
QString firstHtml(const QString &markdown)
{
    const Answer answer = parseAnswer(markdown);
    return answer.blocks.isEmpty() ? QString() : answer.blocks.first().text.html;
}

// Columns of ink (darker than mid-grey) in an image, as runs [first, last].
QList<QPair<int, int>> inkRuns(const QImage &image)
{
    QList<QPair<int, int>> runs;
    int start = -1;
    for (int x = 0; x < image.width(); ++x) {
        bool ink = false;
        for (int y = 0; y < image.height() && !ink; ++y)
            ink = qGray(image.pixel(x, y)) < 128;
        if (ink && start < 0)
            start = x;
        if (!ink && start >= 0) {
            runs.append({start, x - 1});
            start = -1;
        }
    }
    return runs;
}

// The lowest row of ink between two columns.
int inkBottom(const QImage &image, int from, int to)
{
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = from; x <= to; ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return y;
    return -1;
}

} // namespace

class AnswerMathTest : public QObject {
    Q_OBJECT
private slots:
    void recognised_data()
    {
        QTest::addColumn<QString>("markdown");
        QTest::addColumn<QStringList>("blocks");
        QTest::addRow("inline dollars") << "Сумма: $a^2 + b^2$."
            << QStringList{"text: Сумма: a в квадрате плюс b в квадрате."};
        QTest::addRow("money stays text") << "Билет стоит $5 и $10 со скидкой."
            << QStringList{"text: Билет стоит $5 и $10 со скидкой."};
        QTest::addRow("space after opening") << "от $ 5 до $ 7" << QStringList{"text: от $ 5 до $ 7"};
        QTest::addRow("closing before a digit") << "$x$5" << QStringList{"text: $x$5"};
        QTest::addRow("space before closing") << "$x $ и $y$" << QStringList{"text: $x $ и y"};
        QTest::addRow("escaped dollar") << "цена \\$5" << QStringList{"text: цена $5"};
        QTest::addRow("brackets inline") << "где \\(x^2\\) — площадь"
            << QStringList{"text: где x в квадрате — площадь"};
        QTest::addRow("display alone") << "$$\\frac{a}{b}$$"
            << QStringList{"math: \\frac{a}{b} = a делить на b"};
        QTest::addRow("display brackets") << "Итак:\n\n\\[ x^2 = 4 \\]\n\nГотово."
            << QStringList{"text: Итак:", "math: x^2 = 4 = x в квадрате равно 4", "text: Готово."};
        QTest::addRow("display inside a paragraph") << "Решение:\n$$x = 1$$\nи всё."
            << QStringList{"text: Решение:", "math: x = 1 = x равно 1", "text: и всё."};
        QTest::addRow("code span is not math") << "пишите `$x$` так" << QStringList{"text: пишите $x$ так"};
        QTest::addRow("fenced code is not math") << "```\necho $HOME $x$\n\\(y\\)\n```"
            << QStringList{"code: echo $HOME $x$\n\\(y\\)"};
        QTest::addRow("indented code is not math") << "Код:\n\n    $5 и $10 \\(z\\)"
            << QStringList{"text: Код:", "code: $5 и $10 \\(z\\)"};
        QTest::addRow("after a fence math again") << "```\n$a$\n```\n\n$b^2$"
            << QStringList{"code: $a$", "text: b в квадрате"};
        QTest::addRow("unknown command said as source") << "$\\foo{x}$"
            << QStringList{"text: формула: \\foo{x}"};
        QTest::addRow("display in a list is inline") << "- $$x^2$$\n- два"
            << QStringList{"list: x в квадрате | два"};
        QTest::addRow("no formula across paragraphs") << "$a\n\nb$" << QStringList{"text: $a\n\nb$"};
    }

    void recognised()
    {
        QFETCH(QString, markdown);
        QFETCH(QStringList, blocks);
        QCOMPARE(describe(parseAnswer(markdown)), blocks);
    }

    void spoken_data()
    {
        QTest::addColumn<QString>("markdown");
        QTest::addColumn<QString>("spoken");
        QTest::addRow("inline") << "Площадь $S = \\pi r^2$." << "Площадь S равно пи r в квадрате.";
        QTest::addRow("display") << "Формула:\n\n$$\\sqrt{x}$$" << "Формула:\nквадратный корень из x";
    }

    void spoken()
    {
        QFETCH(QString, markdown);
        QFETCH(QString, spoken);
        QCOMPARE(spokenAnswer(markdown).replace(QStringLiteral("\n\n"), QStringLiteral("\n")), spoken);
    }

    // The model's row for a display formula: its kind, its TeX for drawing and copying.
    void modelRow()
    {
        AnswerModel model;
        model.setMarkdown(QStringLiteral("Итак:\n\n$$a^2 + b^2 = c^2$$"));
        QTRY_VERIFY_WITH_TIMEOUT(model.ready(), vexa::test::scaledMs(5000));
        QCOMPARE(model.rowCount(), 2);
        const QModelIndex row = model.index(1);
        QCOMPARE(model.data(row, AnswerModel::KindRole).toString(), QStringLiteral("math"));
        QCOMPARE(model.data(row, AnswerModel::CodeRole).toString(), QStringLiteral("a^2 + b^2 = c^2"));
        QCOMPARE(model.blockCopyText(1), QStringLiteral("a^2 + b^2 = c^2"));
        QCOMPARE(model.data(row, AnswerModel::PlainRole).toString(),
                 QStringLiteral("a в квадрате плюс b в квадрате равно c в квадрате"));
        QVERIFY2(model.simpleHtml().isEmpty(), "a formula is drawn block by block");
        // So is prose with a formula inside it (its text goes through InlineMath).
        AnswerModel inlineModel;
        inlineModel.setMarkdown(QStringLiteral("Пусть $x^2$ растёт."));
        QTRY_VERIFY_WITH_TIMEOUT(inlineModel.ready(), vexa::test::scaledMs(5000));
        QVERIFY(inlineModel.simpleHtml().isEmpty());
    }

    void inlineText_data()
    {
        QTest::addColumn<QString>("markdown");
        QTest::addColumn<bool>("rich");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<QStringList>("formulas");
        QTest::addRow("money stays text") << "Цена $5 и $10." << false << 0 << QStringList{};
        QTest::addRow("one formula") << "Пусть $x^2$ растёт." << true << 1 << QStringList{"x^2"};
        QTest::addRow("two formulas") << "Если $a$ и \\(b_1\\), то всё." << true << 2 << QStringList{"a", "b_1"};
        QTest::addRow("markup characters") << "Верно $a<b>c$ & так" << true << 1 << QStringList{"a<b>c"};
        QTest::addRow("percent signs and operators") << "Итак, $ax^2 + bx = 50\\%$ и всё" << true << 1
                                                     << QStringList{"ax^2 + bx = 50\\%"};
        QTest::addRow("unknown command keeps its TeX") << "Вот $\\foo{x}$ и всё" << true << 0 << QStringList{"\\foo{x}"};
        QTest::addRow("set and unknown") << "$x$ и $\\unknown$" << true << 1 << QStringList{"x", "\\unknown"};
        QTest::addRow("code is never math") << "Код `$x$` тут" << false << 0 << QStringList{};
    }

    // Formulas inside text become pictures once set; the rest of the text is kept as it was;
    // a formula that cannot be set shows its TeX in the monospaced face.
    void inlineText()
    {
        QFETCH(QString, markdown);
        QFETCH(bool, rich);
        QFETCH(int, pictures);
        QFETCH(QStringList, formulas);
        const QString html = firstHtml(markdown);
        QStringList found;
        for (const InlineMath::Piece &piece : InlineMath::formulasIn(html))
            found << piece.tex;
        QCOMPARE(found, formulas);

        InlineMath math;
        QFont font;
        font.setPointSizeF(17);
        math.setFont(font);
        math.setHtml(html);
        QTRY_COMPARE_WITH_TIMEOUT(math.rich(), rich, vexa::test::scaledMs(5000));
        if (!rich) {
            QCOMPARE(math.text(), html);
            return;
        }
        const QString text = math.text();
        QCOMPARE(text.count(QStringLiteral("<img src=\"image://vexamath/")), pictures);
        QCOMPARE(text.count(QLatin1String(kInlineMathOpen)), formulas.size() - pictures);
        // Every picture is as large as its formula set at that size, with room for the baseline.
        static const QRegularExpression img(QStringLiteral("<img src=\"image://vexamath/([^\"]+)\" width=\"(\\d+)\" height=\"(\\d+)\""));
        auto it = img.globalMatch(text);
        int matched = 0;
        for (; it.hasNext(); ++matched) {
            const auto m = it.next();
            MathImageProvider provider;
            QSize size;
            const QImage picture = provider.requestImage(m.captured(1), &size, {});
            QVERIFY(!picture.isNull());
            QCOMPARE(size, QSize(m.captured(2).toInt(), m.captured(3).toInt()));
            // The picture is of this formula, not of another text the address turned into.
            // (Punctuation right after a formula is set with it, so a line never starts with it.)
            QString tex = QUrl::fromPercentEncoding(m.captured(1).section(u'/', 5).toUtf8());
            static const QRegularExpression punctuation(QStringLiteral("\\\\text\\{[,.;:!?)]\\}$"));
            tex.remove(punctuation);
            QVERIFY2(formulas.contains(tex), qPrintable(tex));
        }
        QCOMPARE(matched, pictures);
        // Nothing of the text around the formulas is lost.
        QString outside = html;
        for (const InlineMath::Piece &piece : InlineMath::formulasIn(html))
            outside.replace(html.mid(piece.start, piece.length), QString());
        for (QString part : outside.split(QStringLiteral(" "), Qt::SkipEmptyParts)) {
            if (part.size() > 1 && QStringView(u",.;:!?)").contains(part.front()))
                part.remove(0, 1); // set with the formula before it
            if (part.size() > 1)
                QVERIFY2(text.contains(part), qPrintable(part));
        }
    }

    void pictureRequests_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("drawn");
        QTest::addRow("formula") << "20/2/ff000000/0.5/1.25/x%5E2" << true;
        QTest::addRow("slash in the TeX") << "20/1/ff000000/0/0/a%2Fb" << true;
        QTest::addRow("too few parts") << "20/1/ff000000" << false;
        QTest::addRow("no size") << "0/1/ff000000/0/0/x" << false;
        QTest::addRow("huge size") << "1e9/1/ff000000/0/0/x" << false;
        QTest::addRow("negative pad") << "20/1/ff000000/-5/0/x" << false;
        QTest::addRow("bad colour") << "20/1/zz/0/0/x" << false;
        QTest::addRow("unknown command") << "20/1/ff000000/0/0/%5Cfoo" << false;
    }

    // The image provider draws what it is asked for and refuses what no formula could ask.
    void pictureRequests()
    {
        QFETCH(QString, id);
        QFETCH(bool, drawn);
        MathImageProvider provider;
        QSize size;
        const QImage image = provider.requestImage(id, &size, {});
        QCOMPARE(!image.isNull(), drawn);
        if (drawn) {
            QVERIFY(size.width() > 0 && size.height() > 0);
            QCOMPARE(image.size(), QSize(qCeil(size.width() * image.devicePixelRatio()),
                                         qCeil(size.height() * image.devicePixelRatio())));
        }
    }

    // A formula inside text sits on the text's baseline: an x of the text and an x of the
    // formula end on the same row (both letters rest on the baseline).
    // Once a text has shown formulas in a style, a text prepared ahead finds its own formulas
    // set and drawn in that style: it shows them at once, not their TeX first and then a second
    // layout. Display formulas are set in the size they were last shown in.
    void formulasPreparedAhead()
    {
        const auto htmlOf = [](const QString &markdown) { return parseAnswer(markdown).blocks.value(0).text.html; };
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(13.5);
        InlineMath shown;
        shown.setFont(font);
        shown.setColor(QColor(QStringLiteral("#e0e0e0")));
        shown.setDevicePixelRatio(1);
        shown.setHtml(htmlOf(QStringLiteral("Пусть $a_1^2$.")));
        QVERIFY(vexa::test::waitUntil([&] { return shown.rich(); }));

        const QString next = htmlOf(QStringLiteral("Тогда $\\frac{b_7}{c_9} + 41$, и всё."));
        InlineMath::prepareAhead(next);
        InlineMath later;
        later.setFont(font);
        later.setColor(QColor(QStringLiteral("#e0e0e0")));
        later.setDevicePixelRatio(1);
        later.setHtml(next);
        QVERIFY(later.rich());
        QVERIFY(later.text().contains(QStringLiteral("<img")));

        vexa::math::MathItem display;
        display.setDisplay(true);
        display.setTextSize(23.25);
        display.setTex(QStringLiteral("x^3"));
        QVERIFY(vexa::test::waitUntil([&] { return display.ready(); }));
        QVERIFY(!vexa::math::MathItem::cached(QStringLiteral("\\sqrt{y_5}"), 23.25, true));
        vexa::math::MathItem::typesetAhead(QStringLiteral("\\sqrt{y_5}"), true);
        QVERIFY(vexa::math::MathItem::cached(QStringLiteral("\\sqrt{y_5}"), 23.25, true));
    }

    void inlineBaseline_data()
    {
        QTest::addColumn<int>("textSize");
        QTest::addRow("14") << 14;
        QTest::addRow("24") << 24;
        QTest::addRow("40") << 40;
    }
    void inlineBaseline()
    {
        QFETCH(int, textSize);
        QQuickView window;
        window.engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
        window.setColor(Qt::white);
        window.resize(600, 300);
        QQmlComponent component(window.engine());
        component.setData("import QtQuick\nimport VexaAI.Answer\n"
                          "AnswerView { property int size; textSize: size; textColor: \"black\"; maxWidth: 560;"
                          " answer: AnswerModel { markdown: \"x $x$\" } }", QUrl());
        std::unique_ptr<QObject> object(component.createWithInitialProperties({{QStringLiteral("size"), textSize}}));
        QVERIFY2(object, qPrintable(component.errorString()));
        auto *view = qobject_cast<QQuickItem *>(object.get());
        view->setParentItem(window.contentItem());
        view->setPosition({20, 20});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window, vexa::test::scaledMs(5000)));
        QList<QPair<int, int>> runs;
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT((shot = window.grabWindow(), runs = inkRuns(shot), runs.size() == 2),
                                 vexa::test::scaledMs(5000));
        const int textBottom = inkBottom(shot, runs.at(0).first, runs.at(0).second);
        const int formulaBottom = inkBottom(shot, runs.at(1).first, runs.at(1).second);
        QVERIFY2(qAbs(textBottom - formulaBottom) <= 1,
                 qPrintable(QStringLiteral("text ends at %1, formula at %2").arg(textBottom).arg(formulaBottom)));
    }

    void view_data()
    {
        QTest::addColumn<QString>("markdown");
        QTest::addColumn<bool>("sets");
        QTest::addRow("formula") << "Итак:\n\n$$\\frac{a}{b} + \\sqrt{x}$$" << true;
        QTest::addRow("source shown") << "$$\\foo{x}$$" << false;
    }

    // The answer's view draws a display formula with the typesetter, or its source.
    void view()
    {
        QFETCH(QString, markdown);
        QFETCH(bool, sets);
        QQmlEngine engine;
        const std::unique_ptr<QObject> object
            = vexa::test::createObject(engine, "import QtQuick\nimport VexaAI.Answer\nAnswerView { answer: AnswerModel {} }");
        QVERIFY(object);
        auto *view = qobject_cast<QQuickItem *>(object.get());
        auto *model = view->property("answer").value<AnswerModel *>();
        QVERIFY(model);
        model->setMarkdown(markdown);
        QTRY_VERIFY_WITH_TIMEOUT(formulasIn(view).size() == 1, vexa::test::scaledMs(5000));
        vexa::math::MathItem *formula = formulasIn(view).first();
        QTRY_VERIFY_WITH_TIMEOUT(formula->ready() || formula->failed(), vexa::test::scaledMs(5000));
        QCOMPARE(formula->ready(), sets);
        // The block (the delegate with the formula's source) is as tall as what it shows.
        QQuickItem *block = formula;
        while (block && !block->property("code").isValid())
            block = block->parentItem();
        QVERIFY(block);
        QCOMPARE(block->property("code").toString(), model->blockCopyText(model->rowCount() - 1));
        QTRY_VERIFY_WITH_TIMEOUT(block->height() > (sets ? formula->implicitHeight() : 10), vexa::test::scaledMs(5000));
        if (sets)
            QVERIFY(formula->implicitWidth() > 20 && formula->isVisible());
    }
};

QTEST_MAIN(AnswerMathTest)
#include "tst_answermath.moc"
