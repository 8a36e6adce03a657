// An item made only while wanted: made into the item it is declared in (or its target) with
// bindings naming its parent holding at once, gone when no longer wanted, made again when
// wanted again, and nothing made (with a warning) from a component that makes no item.
#include "awaittask.h"
#include "lazyitem.h"
#include "quickscreen.h"

#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

using namespace vexa::answer;

class LazyItemTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void madeWhileActive_data()
    {
        QTest::addColumn<QByteArray>("where");
        QTest::addColumn<QString>("holder");
        QTest::newRow("where it is declared") << QByteArray() << "root";
        QTest::newRow("into its target") << QByteArray("target: other;") << "other";
    }
    void madeWhileActive()
    {
        QFETCH(QByteArray, where);
        QFETCH(QString, holder);
        QQmlEngine engine;
        const auto root = vexa::test::createObject(
            engine, "import QtQuick\nimport VexaAI.Answer\nItem {\n objectName: \"root\"; width: 100; height: 50\n"
                    " property alias lazy: lazy\n property bool wanted: false\n"
                    " Item { id: other; objectName: \"other\"; width: 30; height: 20 }\n"
                    " LazyItem { id: lazy; " + where + " active: wanted;"
                    " sourceComponent: Rectangle { objectName: \"made\"; anchors.fill: parent } }\n}");
        QVERIFY(root);
        auto *lazy = root->property("lazy").value<LazyItem *>();
        QVERIFY(lazy);
        QVERIFY(!lazy->item());
        QSignalSpy changed(lazy, &LazyItem::itemChanged);

        root->setProperty("wanted", true);
        QQuickItem *made = lazy->item();
        QVERIFY(made);
        QCOMPARE(made->objectName(), QStringLiteral("made"));
        QCOMPARE(made->parentItem()->objectName(), holder);
        QCOMPARE(made->size(), made->parentItem()->size());
        QCOMPARE(changed.size(), 1);

        const QPointer<QQuickItem> gone = made;
        root->setProperty("wanted", false);
        QVERIFY(!lazy->item());
        QCOMPARE(changed.size(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(gone.isNull(), 2000);

        root->setProperty("wanted", true);
        QVERIFY(lazy->item());
        QCOMPARE(changed.size(), 3);
    }

    void noItemFromAnObject()
    {
        QQmlEngine engine;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("makes no item")));
        const auto root = vexa::test::createObject(
            engine, "import QtQuick\nimport VexaAI.Answer\nItem {\n property alias lazy: lazy\n"
                    " LazyItem { id: lazy; sourceComponent: QtObject {} }\n}");
        QVERIFY(root);
        QVERIFY(!root->property("lazy").value<LazyItem *>()->item());
    }
};

QTEST_MAIN(LazyItemTest)
#include "tst_lazyitem.moc"
