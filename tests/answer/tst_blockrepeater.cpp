// Block items are lent from answer to answer through the engine's pool. An answer that takes the
// place of another takes back the items put aside in that place before those another answer left:
// an item moved into another bubble is taken out of one part of the scene and put into another,
// which costs the renderer its whole subtree on every frame a chat scrolls.
#include "answermodel.h"
#include "blockrepeater.h"

#include <QQmlComponent>
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
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport VexaAI.Answer\n"
                          "Row { property alias first: first; property alias second: second\n"
                          "      AnswerView { id: first } AnswerView { id: second } }", QUrl());
        std::unique_ptr<QObject> root(component.create());
        QVERIFY2(root, qPrintable(component.errorString()));
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
};

QTEST_MAIN(BlockRepeaterTest)
#include "tst_blockrepeater.moc"
