// Formulas in answers: which dollars and brackets open a formula (money and code stay text),
// display formulas as blocks of their own, formulas inside text read aloud, the model's rows.
#include "answerblocks.h"
#include "answermath.h"
#include "answermodel.h"
#include "awaittask.h"

#include "mathitem.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
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
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport VexaAI.Answer\nAnswerView { answer: AnswerModel {} }", QUrl());
        std::unique_ptr<QObject> object(component.create());
        QVERIFY2(object, qPrintable(component.errorString()));
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
