// Block items are lent from answer to answer through the engine's pool. An answer that takes the
// place of another takes back the items put aside in that place before those another answer left:
// an item moved into another bubble is taken out of one part of the scene and put into another,
// which costs the renderer its whole subtree on every frame a chat scrolls. An answer view has
// its height as soon as it shows an answer: the list that made the bubble reads it at once.
#include "answermodel.h"
#include "blockrepeater.h"
#include "quickscreen.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QTest>

using namespace vexa::answer;

class BlockRepeaterTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void itemsStayWhereTheyWere_data()
    {
        // The order the two views let their answers go decides which item the pool holds last.
        QTest::addColumn<bool>("otherLetGoLast");
        QTest::newRow("the other view let go last") << true;
        QTest::newRow("this view let go last") << false;
    }

    void itemsStayWhereTheyWere()
    {
        QFETCH(bool, otherLetGoLast);
        QQmlEngine engine;
        const std::unique_ptr<QObject> root = vexa::test::createObject(
            engine, "import QtQuick\nimport VexaAI.Answer\n"
                    "Row { property alias first: first; property alias second: second\n"
                    "      AnswerView { id: first } AnswerView { id: second } }");
        QVERIFY(root);
        auto *first = root->property("first").value<QQuickItem *>();
        auto *second = root->property("second").value<QQuickItem *>();
        auto *firstBlocks = first->findChild<BlockRepeater *>();
        auto *secondBlocks = second->findChild<BlockRepeater *>();
        QVERIFY(firstBlocks && secondBlocks);

        AnswerModel one, two, three;
        one.setMarkdown(QStringLiteral("Первый ответ."));
        two.setMarkdown(QStringLiteral("Второй ответ."));
        three.setMarkdown(QStringLiteral("Третий ответ."));
        firstBlocks->setAnswer(&one);
        secondBlocks->setAnswer(&two);
        QQuickItem *mine = firstBlocks->itemAt(0);
        QQuickItem *theirs = secondBlocks->itemAt(0);
        QVERIFY(mine && theirs && mine != theirs);

        if (otherLetGoLast) {
            firstBlocks->setAnswer(nullptr);
            secondBlocks->setAnswer(nullptr);
        } else {
            secondBlocks->setAnswer(nullptr);
            firstBlocks->setAnswer(nullptr);
        }
        QVERIFY(!mine->isVisible());
        firstBlocks->setAnswer(&three);
        QCOMPARE(firstBlocks->itemAt(0), mine);
        QCOMPARE(mine->parentItem(), first);
        QVERIFY(mine->isVisible());
        // The other view's item is still free, and still where it was.
        secondBlocks->setAnswer(&one);
        QCOMPARE(secondBlocks->itemAt(0), theirs);
        QCOMPARE(theirs->parentItem(), second);
    }

    void heightAtOnce_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("nothing, then an answer") << QString() << QStringLiteral("Ответ.\n\n- один\n- два");
        QTest::newRow("short, then long")
            << QStringLiteral("Коротко.")
            << QStringLiteral("Длинный ответ.\n\n# Заголовок\n\n- один\n- два\n\n> цитата\n\n---\n\nКонец.");
        QTest::newRow("long, then short")
            << QStringLiteral("Длинный ответ.\n\n- один\n- два\n- три\n\n> цитата") << QStringLiteral("Коротко.");
        QTest::newRow("a table")
            << QStringLiteral("Коротко.") << QStringLiteral("| А | Б |\n|---|---|\n| 1 | 2 |\n| 3 | 4 |\n\nИтог.");
    }

    // Without a window nothing is ever polished: the height is there only if the view laid
    // its blocks out when they were made.
    void heightAtOnce()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QQmlEngine engine;
        const std::unique_ptr<QObject> root
            = vexa::test::createObject(engine, "import QtQuick\nimport VexaAI.Answer\nAnswerView { maxWidth: 400 }");
        QVERIFY(root);
        auto *view = qobject_cast<QQuickItem *>(root.get());
        auto *blocks = view->findChild<BlockRepeater *>();
        QVERIFY(blocks);

        AnswerModel first, second;
        if (!before.isEmpty()) {
            first.setMarkdown(before);
            blocks->setAnswer(&first);
        }
        second.setMarkdown(after);
        blocks->setAnswer(&second);
        QVERIFY(blocks->count() > 0);
        qreal expected = 0;
        int shown = 0;
        for (QQuickItem *child : view->childItems()) {
            if (!child->isVisible() || child == blocks)
                continue;
            QVERIFY(child->height() > 0);
            if (shown > 0)
                QCOMPARE(child->y(), expected + view->property("spacing").toReal());
            expected = child->y() + child->height();
            ++shown;
        }
        QCOMPARE(shown, blocks->count());
        QCOMPARE(view->height(), expected);
    }
};

QTEST_MAIN(BlockRepeaterTest)
#include "tst_blockrepeater.moc"
