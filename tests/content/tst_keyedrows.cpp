// The screens' keyed rows: a new list is laid over the shown one row by row. A row whose key
// stays keeps its place in the model (its delegate and the focus in it live on) wherever it
// moves, and changed values arrive as data changes; only a list that repeats a key resets.

#include "keyedrowmodel.h"

#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QTest>

using namespace vexa;

namespace {

QList<QVariantMap> valuesFor(const QStringList &keys, const QString &version)
{
    QList<QVariantMap> rows;
    for (const QString &key : keys)
        rows.append({{QStringLiteral("text"), key + version}});
    return rows;
}

QVariantList keysOf(const QStringList &keys)
{
    QVariantList list;
    for (const QString &key : keys)
        list.append(key);
    return list;
}

} // namespace

class KeyedRowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsTheNewList_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("resets");
        const auto l = [](const char *keys) { return QString::fromLatin1(keys).split(u' ', Qt::SkipEmptyParts); };
        QTest::newRow("same") << l("a b c") << l("a b c") << false;
        QTest::newRow("appended") << l("a b") << l("a b c d") << false;
        QTest::newRow("put first") << l("a b") << l("n a b") << false;
        QTest::newRow("middle removed") << l("a b c d") << l("a d") << false;
        QTest::newRow("last removed") << l("a b c") << l("a b") << false;
        QTest::newRow("all removed") << l("a b") << l("") << false;
        QTest::newRow("from nothing") << l("") << l("a b") << false;
        QTest::newRow("moved up") << l("a b c d") << l("d a b c") << false;
        QTest::newRow("reversed") << l("a b c d") << l("d c b a") << false;
        QTest::newRow("mixed") << l("a b c d e") << l("e x b y a") << false;
        QTest::newRow("a repeated key") << l("a b") << l("a a b") << true;
    }

    void followsTheNewList()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(bool, resets);
        KeyedRowModel model({"text"});
        model.setRows(keysOf(before), valuesFor(before, QStringLiteral("1")));
        QList<QPersistentModelIndex> held;
        for (int row = 0; row < model.rowCount(); ++row)
            held.append(QPersistentModelIndex(model.index(row)));
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy counted(&model, &KeyedRowModel::countChanged);

        model.setRows(keysOf(after), valuesFor(after, QStringLiteral("2")));

        QCOMPARE(reset.size(), resets ? 1 : 0);
        QCOMPARE(model.rowCount(), after.size());
        QCOMPARE(counted.size(), before.size() == after.size() ? 0 : 1);
        for (int row = 0; row < after.size(); ++row) {
            QCOMPARE(model.keyAt(row).toString(), after.at(row));
            QCOMPARE(model.value(row, "text").toString(), after.at(row) + QStringLiteral("2"));
            if (!resets)
                QCOMPARE(model.rowOf(after.at(row)), row);
        }
        if (resets)
            return;
        // A kept row is the same row of the model, moved where the new list has it.
        for (qsizetype n = 0; n < before.size(); ++n) {
            const qsizetype now = after.indexOf(before.at(n));
            QCOMPARE(held.at(n).isValid(), now >= 0);
            if (now >= 0)
                QCOMPARE(held.at(n).row(), int(now));
        }
        // Values of kept rows arrive as data changes (each row changed here).
        int kept = 0;
        for (const QString &key : after)
            kept += before.contains(key) ? 1 : 0;
        QCOMPARE(changed.size(), kept);
    }

    void unchangedValuesSendNothing()
    {
        KeyedRowModel model({"text"});
        const QStringList keys{QStringLiteral("1"), QStringLiteral("2")};
        model.setRows(keysOf(keys), valuesFor(keys, QStringLiteral("x")));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.setRows(keysOf(keys), valuesFor(keys, QStringLiteral("x")));
        QCOMPARE(changed.size(), 0);
        QCOMPARE(inserted.size(), 0);
        // Numeric ids (the community's and the workspace's records) key the same way.
        model.setRows(QList<qint64>{7, 8}, valuesFor(keys, QStringLiteral("x")));
        QCOMPARE(model.idAt(1), qint64(8));
        QCOMPARE(model.roleNames().value(Qt::UserRole), QByteArray("rowId"));
    }
};

QTEST_GUILESS_MAIN(KeyedRowsTest)
#include "tst_keyedrows.moc"
