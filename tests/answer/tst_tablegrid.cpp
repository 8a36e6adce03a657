// A table's grid as one picture: columns as wide as their widest cell (long cells wrap),
// each column aligned as asked, the header and zebra rows filled, links where they are drawn,
// a hostile table kept within the picture's budget, and a grid lent to another table laid
// out once however many of its properties change.
#include "answermodel.h"
#include "awaittask.h"
#include "blockrepeater.h"
#include "quickscreen.h"
#include "tablegrid.h"
#include "textpicture.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

using namespace vexa::answer;

namespace {

GridStyle style()
{
    GridStyle s;
    s.font.setPointSize(11);
    s.color = Qt::black;
    s.headerFill = QColor(200, 220, 255);
    s.zebraFill = QColor(235, 235, 235);
    s.cellPadding = 8;
    s.maxCellWidth = 200;
    return s;
}

// The leftmost and rightmost columns of dark (text) pixels inside a rectangle, or (-1, -1).
std::pair<int, int> inkSpan(const QImage &image, const QRectF &area)
{
    int first = -1;
    int last = -1;
    for (int x = int(area.left()); x < int(area.right()) && x < image.width(); ++x) {
        for (int y = int(area.top()); y < int(area.bottom()) && y < image.height(); ++y) {
            if (qAlpha(image.pixel(x, y)) > 128 && qGray(image.pixel(x, y)) < 100) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

} // namespace

class TableGridTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void columnsAndRows_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<int>("wrappedColumn"); // a column as wide as the widest a cell may be; -1 none
        QTest::newRow("short cells") << QList<QStringList>{{"Язык", "Год"}, {"Python", "1991"}, {"Go", "2009"}} << -1;
        QTest::newRow("a long cell wraps")
            << QList<QStringList>{{"Имя", "Описание"}, {"a", QString("очень длинное описание ").repeated(8)}} << 1;
        QTest::newRow("a short row") << QList<QStringList>{{"a", "b", "c"}, {"1"}} << -1;
    }
    // Columns overlapping would draw cells over each other; a column wider than its widest
    // cell, or a row lower than its text, would cut or spread the table.
    void columnsAndRows()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(int, wrappedColumn);
        const int columns = int(rows.first().size());
        const auto drawn = drawGrid(rows, QList<int>(columns, Qt::AlignLeft), style());
        QCOMPARE(drawn->columnX.size(), columns + 1);
        QCOMPARE(drawn->rowY.size(), rows.size() + 1);
        QCOMPARE(drawn->cutRows, 0);
        QCOMPARE(drawn->size, QSizeF(drawn->columnX.last(), drawn->rowY.last()));
        QCOMPARE(drawn->image.size(), drawn->size.toSize());
        for (int c = 0; c < columns; ++c) {
            const qreal width = drawn->columnX[c + 1] - drawn->columnX[c] - 2 * style().cellPadding;
            if (c == wrappedColumn)
                QCOMPARE(width, style().maxCellWidth);
            else
                QVERIFY2(width > 0 && width < style().maxCellWidth, qPrintable(QString::number(width)));
        }
        const qreal lineRow = drawn->rowY[1] - drawn->rowY[0];
        for (int r = 1; r < rows.size(); ++r) {
            const qreal height = drawn->rowY[r + 1] - drawn->rowY[r];
            if (wrappedColumn >= 0)
                QVERIFY2(height > 2 * lineRow, qPrintable(QString::number(height)));
            else
                QCOMPARE(height, lineRow);
        }
    }

    void alignment_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::newRow("left") << int(Qt::AlignLeft);
        QTest::newRow("right") << int(Qt::AlignRight);
        QTest::newRow("centre") << int(Qt::AlignHCenter);
    }
    // A short cell under a long header sits where the column's alignment says.
    void alignment()
    {
        QFETCH(int, alignment);
        const QList<QStringList> rows{{"Заголовок подлиннее"}, {"1"}};
        const auto drawn = drawGrid(rows, {alignment}, style());
        const qreal padding = style().cellPadding;
        const QRectF cell(drawn->columnX[0] + padding, drawn->rowY[1], drawn->columnX[1] - 2 * padding,
                          drawn->rowY[2] - drawn->rowY[1]);
        const auto [first, last] = inkSpan(drawn->image, cell);
        QVERIFY(first >= 0);
        const qreal left = first - cell.left();
        const qreal right = cell.right() - last;
        switch (alignment) {
        case Qt::AlignLeft: QVERIFY2(left < 3 && right > 40, qPrintable(QStringLiteral("%1 %2").arg(left).arg(right))); break;
        case Qt::AlignRight: QVERIFY2(right < 4 && left > 40, qPrintable(QStringLiteral("%1 %2").arg(left).arg(right))); break;
        default: QVERIFY2(std::abs(left - right) < 4, qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
        }
    }

    // The header row and every other row after it are filled; the header is bold.
    void fillsAndHeader()
    {
        const QList<QStringList> rows{{"Слово"}, {"Слово"}, {"x"}, {"y"}};
        const auto drawn = drawGrid(rows, {Qt::AlignLeft}, style());
        const auto fillAt = [&](int row) { return drawn->image.pixelColor(1, int(drawn->rowY[row]) + 1); };
        QCOMPARE(fillAt(0), style().headerFill);
        QCOMPARE(fillAt(1).alpha(), 0);
        QCOMPARE(fillAt(2), style().zebraFill);
        QCOMPARE(fillAt(3).alpha(), 0);
        const auto span = [&](int row) {
            const auto [first, last] = inkSpan(drawn->image, QRectF(0, drawn->rowY[row], drawn->size.width(),
                                                                     drawn->rowY[row + 1] - drawn->rowY[row]));
            return last - first;
        };
        QVERIFY2(span(0) > span(1), qPrintable(QStringLiteral("%1 %2").arg(span(0)).arg(span(1))));
    }

    void budget_data()
    {
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("cut");
        QTest::newRow("an ordinary table") << 8 << 4 << false;
        QTest::newRow("tall and wide, with long cells") << 61 << 12 << true;
    }
    // However a table is made, its picture stays within the budget and keeps its header; the
    // rows it leaves out are counted (the table says how many).
    void budget()
    {
        QFETCH(int, rowCount);
        QFETCH(int, columns);
        QFETCH(bool, cut);
        QList<QStringList> rows;
        for (int r = 0; r < rowCount; ++r)
            rows.append(QStringList(columns, cut ? QString("слово ").repeated(60) : QStringLiteral("ячейка")));
        GridStyle s = style();
        s.devicePixelRatio = 2;
        const auto drawn = drawGrid(rows, QList<int>(columns, Qt::AlignLeft), s);
        QVERIFY(qint64(drawn->image.width()) * drawn->image.height() <= kMaxGridPixels);
        QVERIFY(drawn->rowY.size() >= 2);
        QCOMPARE(drawn->cutRows > 0, cut);
        QCOMPARE(drawn->rowY.size() - 1 + drawn->cutRows, rowCount);
    }

    // A link in a cell opens on a click where it is drawn, and only there.
    void linkInACell()
    {
        QQuickView window;
        window.engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
        window.resize(500, 200);
        QQmlComponent component(window.engine());
        component.setData("import QtQuick\nimport VexaAI.Answer\n"
                          "TableGrid { x: 20; y: 20; width: implicitWidth; height: implicitHeight;"
                          " font.pointSize: 11; alignments: [Text.AlignLeft, Text.AlignLeft];"
                          " cells: [[\"Сайт\", \"Где\"], [\"<a href=\\\"https://example.org\\\">пример</a>\", \"тут\"]] }",
                          QUrl());
        std::unique_ptr<TableGrid> grid(qobject_cast<TableGrid *>(component.create()));
        QVERIFY2(grid, qPrintable(component.errorString()));
        grid->setParentItem(window.contentItem());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window, vexa::test::scaledMs(5000)));
        QCOMPARE(grid->shownRows(), 2);
        QCOMPARE(grid->drawn()->links.size(), 1);
        const QRectF link = grid->drawn()->links.first().area;
        QVERIFY(grid->cellRect(1, 0).contains(link));
        QSignalSpy opened(grid.get(), &TableGrid::linkActivated);
        QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, grid->mapToScene(link.center()).toPoint());
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first().first().toString(), QStringLiteral("https://example.org"));
        QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, grid->mapToScene(grid->cellRect(1, 1).center()).toPoint());
        QCOMPARE(opened.size(), 1);
    }

    // A grid lent to another table gets its cells, alignments and font one after another: it
    // is laid out once, when they are all set, and in the end shows the new table.
    void laidOutOnceWhenLent()
    {
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport VexaAI.Answer\nTableGrid { alignments: [1]; cells: [[\"a\"], [\"b\"]] }", QUrl());
        std::unique_ptr<TableGrid> grid(qobject_cast<TableGrid *>(component.create()));
        QVERIFY2(grid, qPrintable(component.errorString()));
        QCOMPARE(grid->shownRows(), 2);
        QSignalSpy laidOut(grid.get(), &TableGrid::laidOut);
        {
            const TextLayoutBatch batch;
            grid->setCells({QStringList{"x", "y"}, QStringList{"1", "2"}, QStringList{"3", "4"}});
            grid->setAlignments({1, 2});
            QFont font = grid->font();
            font.setPointSize(14);
            grid->setFont(font);
            QCOMPARE(laidOut.size(), 0);
        }
        QCOMPARE(laidOut.size(), 1);
        QCOMPARE(grid->shownRows(), 3);
        QCOMPARE(grid->drawn()->columnX.size(), 3);
    }

    void tableBlockTakesTheGridsSize_data()
    {
        QTest::addColumn<QStringList>("answers"); // shown one after another by the same view
        QTest::newRow("one table")
            << QStringList{"| Язык | Год |\n|---|--:|\n| Python | 1991 |\n| Go | 2009 |\n| Rust | 2015 |"};
        QTest::newRow("a table lent to a smaller one")
            << QStringList{"| a | b | c |\n|---|---|---|\n| 1 | 2 | 3 |\n| 4 | 5 | 6 |\n| 7 | 8 | 9 |",
                           "Текст\n\n| Только |\n|---|\n| одна |"};
    }
    // The block, and so the message, is as large as the grid it shows (with its copy button
    // below): smaller, the next message would be drawn over the table.
    void tableBlockTakesTheGridsSize()
    {
        QFETCH(QStringList, answers);
        QQmlEngine engine;
        const std::unique_ptr<QObject> root
            = vexa::test::createObject(engine, "import QtQuick\nimport VexaAI.Answer\nAnswerView { maxWidth: 500 }");
        QVERIFY(root);
        auto *blocks = root->findChild<BlockRepeater *>();
        QVERIFY(blocks);
        std::vector<std::unique_ptr<AnswerModel>> models;
        for (const QString &markdown : answers) {
            models.push_back(std::make_unique<AnswerModel>());
            models.back()->setMarkdown(markdown);
            QVERIFY(vexa::test::waitUntil([&] { return models.back()->ready(); }));
            blocks->setAnswer(models.back().get());
            QQuickItem *block = blocks->itemAt(blocks->count() - 1);
            QVERIFY(block);
            auto *grid = block->findChild<TableGrid *>();
            QVERIFY(grid);
            const auto lines = markdown.split(QLatin1Char('\n'));
            QCOMPARE(grid->shownRows(), std::count_if(lines.begin(), lines.end(), [](const QString &line) {
                         return line.startsWith(QLatin1Char('|'));
                     }) - 1); // the rule row is not a row
            QVERIFY(grid->width() > 20);
            QCOMPARE(grid->size(), grid->drawn()->size);
            QVERIFY2(block->height() > grid->height() + 20, qPrintable(QStringLiteral("%1 %2").arg(block->height()).arg(grid->height())));
            QVERIFY2(block->width() >= grid->width(), qPrintable(QStringLiteral("%1 %2").arg(block->width()).arg(grid->width())));
        }
    }
};

QTEST_MAIN(TableGridTest)
#include "tst_tablegrid.moc"
