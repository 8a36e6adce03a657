// Quote bars, drawn by the block item itself: where they stand for each depth of lists and
// quotes, and that they reach the screen, follow the block's height and go with the quote.
#include "answermodel.h"
#include "awaittask.h"
#include "blockframe.h"
#include "blockrepeater.h"
#include "quickscreen.h"

#include <QQmlEngine>
#include <QQuickView>
#include <QTest>

#include <algorithm>

using namespace vexa::answer;

namespace {

const QColor kWindow(0, 0, 0);
const QColor kBar(200, 100, 50);

} // namespace

class BlockFrameTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bars_data()
    {
        QTest::addColumn<int>("indent");
        QTest::addColumn<int>("quoteDepth");
        QTest::addColumn<QList<qreal>>("bars");
        QTest::newRow("no quote") << 2 << 0 << QList<qreal>{};
        QTest::newRow("one quote") << 0 << 1 << QList<qreal>{0};
        QTest::newRow("quote in a list") << 1 << 1 << QList<qreal>{22};
        QTest::newRow("quote in a quote") << 0 << 2 << QList<qreal>{0, 14};
        // Deeper quotes are set in further; their two bars move in with them.
        QTest::newRow("three quotes") << 0 << 3 << QList<qreal>{14, 28};
    }
    void bars()
    {
        QFETCH(int, indent);
        QFETCH(int, quoteDepth);
        QFETCH(QList<qreal>, bars);
        BlockFrame frame;
        frame.setIndent(indent);
        frame.setQuoteDepth(quoteDepth);
        QCOMPARE(frame.barPositions(), bars);
    }

    // Every block of an answer stands on a frame that takes its lists and quotes from the
    // model; a block item lent to the next answer takes that answer's, bars gone where it has
    // no quote.
    void blocksTakeTheirPlaces()
    {
        QQmlEngine engine;
        const std::unique_ptr<QObject> root
            = vexa::test::createObject(engine, "import QtQuick\nimport VexaAI.Answer\nAnswerView { maxWidth: 400 }");
        QVERIFY(root);
        auto *blocks = root->findChild<BlockRepeater *>();
        QVERIFY(blocks);
        const auto places = [&] {
            QList<std::pair<int, int>> found;
            for (int i = 0; i < blocks->count(); ++i) {
                auto *frame = qobject_cast<BlockFrame *>(blocks->itemAt(i));
                if (!frame)
                    return QList<std::pair<int, int>>{{-1, -1}};
                found.append({frame->indent(), frame->quoteDepth()});
            }
            return found;
        };

        AnswerModel quoted;
        quoted.setMarkdown(QStringLiteral("> Quoted\n>\n> > Inside\n\n- item\n\n  ```\n  code\n  ```\n\n```sql\nSELECT 1;\n```"));
        blocks->setAnswer(&quoted);
        QList<std::pair<int, int>> expected;
        for (int row = 0; row < quoted.rowCount(); ++row) {
            const QModelIndex index = quoted.index(row);
            expected.append({index.data(quoted.roleNames().key("indent")).toInt(),
                             index.data(quoted.roleNames().key("quoteDepth")).toInt()});
        }
        QVERIFY(expected.contains(std::pair{0, 2}));
        QVERIFY(expected.contains(std::pair{1, 0}));
        QCOMPARE(places(), expected);

        AnswerModel plain;
        plain.setMarkdown(QStringLiteral("Text\n\n```sql\nSELECT 2;\n```\n\nMore text"));
        blocks->setAnswer(&plain);
        QCOMPARE(places(), (QList<std::pair<int, int>>{{0, 0}, {0, 0}, {0, 0}}));
    }

    // What is drawn reaches the screen: the bars at their places, the window's own colour
    // between and beside them.
    void drawn()
    {
        QQuickView window;
        window.setColor(kWindow);
        window.resize(300, 200);
        BlockFrame frame;
        frame.setSize({200, 100});
        frame.setQuoteDepth(2);
        frame.setBarColor(kBar);
        frame.setParentItem(window.contentItem());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window, vexa::test::scaledMs(5000)));

        const QList<std::pair<QPoint, QColor>> expected{
            {{1, 50}, kBar}, {{15, 50}, kBar}, {{8, 50}, kWindow}, {{100, 50}, kWindow},
            {{1, 99}, kBar}, {{1, 101}, kWindow},
        };
        QImage shot;
        const auto matches = [&] {
            shot = window.grabWindow().convertToFormat(QImage::Format_RGB32);
            return std::all_of(expected.cbegin(), expected.cend(),
                               [&](const auto &point) { return shot.pixelColor(point.first) == point.second; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(matches(), vexa::test::scaledMs(5000));

        // Taller, the bars follow; out of the quote they go.
        frame.setHeight(150);
        QTRY_VERIFY_WITH_TIMEOUT((shot = window.grabWindow().convertToFormat(QImage::Format_RGB32),
                                  shot.pixelColor(1, 105) == kBar), vexa::test::scaledMs(5000));
        frame.setQuoteDepth(0);
        QTRY_VERIFY_WITH_TIMEOUT((shot = window.grabWindow().convertToFormat(QImage::Format_RGB32),
                                  shot.pixelColor(1, 50) == kWindow), vexa::test::scaledMs(5000));
    }
};

QTEST_MAIN(BlockFrameTest)
#include "tst_blockframe.moc"
