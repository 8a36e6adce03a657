// The shortcuts sheet lists the one table the app's Shortcuts take their keys from: a Shortcut
// with keys of its own, a key handler for a key the table lacks, or a table row no Shortcut
// uses would make the sheet lie, and fails here.

#include "shortcutrules.h"
#include "shortcuttable.h"
#include "sourcetexts.h"

#include <QKeySequence>
#include <QTest>

using namespace vexa;
using namespace vexa::test;

namespace {

QSet<QString> shortcutIds()
{
    QSet<QString> ids;
    for (const ShortcutRow &row : shortcutTable()) {
        if (row.kind == ShortcutRow::Kind::Shortcut)
            ids.insert(row.id);
    }
    return ids;
}

QSet<int> tableKeys()
{
    QSet<int> keys;
    for (const ShortcutRow &row : shortcutTable()) {
        for (const QString &text : row.keys) {
            const QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::PortableText);
            for (int i = 0; i < sequence.count(); ++i)
                keys.insert(normalisedKey(sequence[i].key()));
        }
    }
    return keys;
}

QString qml(const QString &body)
{
    return QStringLiteral("import QtQuick\nimport VexaAI.Style\n") + body + u'\n';
}

QString listed(const QList<TextFinding> &found)
{
    QStringList lines;
    for (const TextFinding &finding : found)
        lines.append(finding.toString());
    return lines.join(u'\n');
}

} // namespace

class QmlShortcutsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableIsWellFormed()
    {
        QSet<QString> ids;
        for (const ShortcutRow &row : shortcutTable()) {
            QVERIFY2(!ids.contains(row.id), qPrintable(row.id + QStringLiteral(" twice")));
            ids.insert(row.id);
            QVERIFY2(!row.keys.isEmpty() && !row.group.isEmpty() && !row.description.isEmpty(),
                     qPrintable(row.id));
            for (const QString &key : row.keys) {
                const QKeySequence sequence = QKeySequence::fromString(key, QKeySequence::PortableText);
                // Unknown key names come back empty or as Key_unknown.
                QVERIFY2(sequence.count() == 1 && sequence[0].key() != Qt::Key_unknown,
                         qPrintable(row.id + QStringLiteral(": ") + key));
            }
        }
        // The keys go to Shortcut.sequences as the table writes them.
        VexaShortcuts shortcuts;
        QCOMPARE(shortcuts.keys(QStringLiteral("chat.zoomIn")),
                 QStringList({QStringLiteral("Ctrl+="), QStringLiteral("Ctrl++")}));
    }

    void rules_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("findings");
        QTest::addColumn<QStringList>("used");

        QTest::newRow("keys from the table")
            << qml(QStringLiteral("Item { Shortcut { sequences: VexaShortcuts.keys(\"chat.new\") } }"))
            << 0 << QStringList{QStringLiteral("chat.new")};
        QTest::newRow("keys written in place")
            << qml(QStringLiteral("Item { Shortcut { sequence: \"Ctrl+N\" } }")) << 1 << QStringList{};
        QTest::newRow("a standard key in place")
            << qml(QStringLiteral("Item { Shortcut { sequence: StandardKey.Refresh } }")) << 1 << QStringList{};
        QTest::newRow("a list in place")
            << qml(QStringLiteral("Item { Shortcut { sequences: [\"Ctrl+=\", \"Ctrl++\"] } }")) << 1 << QStringList{};
        QTest::newRow("an id the table lacks")
            << qml(QStringLiteral("Item { Shortcut { sequences: VexaShortcuts.keys(\"chat.explode\") } }"))
            << 1 << QStringList{};
        QTest::newRow("a handled row's id on a Shortcut")
            << qml(QStringLiteral("Item { Shortcut { sequences: VexaShortcuts.keys(\"chat.send\") } }"))
            << 1 << QStringList{};
        QTest::newRow("a Shortcut without keys")
            << qml(QStringLiteral("Item { Shortcut { onActivated: {} } }")) << 1 << QStringList{};
        QTest::newRow("a key the table lists")
            << qml(QStringLiteral("Item { Keys.onPressed: event => { if (event.key === Qt.Key_F3) {} } }"))
            << 0 << QStringList{};
        QTest::newRow("a key the table lacks")
            << qml(QStringLiteral("Item { Keys.onPressed: event => { if (event.key === Qt.Key_F7) {} } }"))
            << 1 << QStringList{};
        QTest::newRow("a Keys signal the table lacks")
            << qml(QStringLiteral("Item { Keys.onLeftPressed: {} }")) << 1 << QStringList{};
        QTest::newRow("a Keys signal the table lists")
            << qml(QStringLiteral("Item { Keys.onEnterPressed: {}\n Keys.onBacktabPressed: {} }")) << 0 << QStringList{};
        QTest::newRow("a standard key the table lists")
            << qml(QStringLiteral("Item { Keys.onPressed: event => event.matches(StandardKey.Copy) }"))
            << 0 << QStringList{};
        QTest::newRow("a standard key the table lacks")
            << qml(QStringLiteral("Item { Keys.onPressed: event => event.matches(StandardKey.Print) }"))
            << 1 << QStringList{};
        QTest::newRow("a key in a comment")
            << qml(QStringLiteral("Item { // Qt.Key_F7 once did something\n}")) << 0 << QStringList{};
    }

    void rules()
    {
        QFETCH(QString, document);
        QFETCH(int, findings);
        QFETCH(QStringList, used);
        const ShortcutScan scan = scanShortcuts(QStringLiteral("Probe.qml"), document, shortcutIds(), tableKeys());
        QVERIFY2(scan.findings.size() == findings, qPrintable(listed(scan.findings)));
        QCOMPARE(scan.usedIds, used);
    }

    // The real QML: every Shortcut takes its keys from the table, every handled key is listed,
    // and every Shortcut row of the table is some Shortcut's (no row the sheet lists in vain).
    void appShortcutsAreTheTables()
    {
        const QStringList files = appSources({QStringLiteral(".qml")});
        QVERIFY(files.size() > 100);
        QList<TextFinding> found;
        QSet<QString> used;
        int shortcuts = 0;
        for (const QString &file : files) {
            const ShortcutScan scan = scanShortcuts(file, readSource(file), shortcutIds(), tableKeys());
            found += scan.findings;
            for (const QString &id : scan.usedIds)
                used.insert(id);
            shortcuts += scan.shortcuts;
        }
        QVERIFY2(found.isEmpty(), qPrintable(listed(found)));
        QVERIFY2(shortcuts >= 18, qPrintable(QString::number(shortcuts)));
        QSet<QString> unused = shortcutIds() - used;
        QVERIFY2(unused.isEmpty(), qPrintable(QStringLiteral("rows no Shortcut takes: ")
                                              + QStringList(unused.begin(), unused.end()).join(u' ')));
    }

    void searchNarrowsTheSheet_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("mustFind");   // an id among the rows found
        QTest::addColumn<QString>("mustNotFind");

        QTest::newRow("everything") << QString() << QStringLiteral("app.sections") << QString();
        QTest::newRow("by description, any case") << QStringLiteral("НОВЫЙ чат") << QStringLiteral("chat.new")
                                                  << QStringLiteral("code.save");
        QTest::newRow("by keys") << QStringLiteral("ctrl+s") << QStringLiteral("code.save")
                                 << QStringLiteral("chat.new");
        QTest::newRow("by screen") << QStringLiteral("редактор") << QStringLiteral("editor.comment")
                                   << QStringLiteral("chat.find");
        QTest::newRow("every word") << QStringLiteral("чат поиск") << QStringLiteral("chat.find")
                                    << QStringLiteral("chat.new");
        QTest::newRow("the space key") << QStringLiteral("пробел") << QStringLiteral("voice.hold")
                                       << QStringLiteral("chat.send");
    }

    void searchNarrowsTheSheet()
    {
        QFETCH(QString, query);
        QFETCH(QString, mustFind);
        QFETCH(QString, mustNotFind);
        ShortcutListModel model;
        model.setQuery(query);
        QStringList descriptions;
        for (int i = 0; i < model.rowCount(); ++i)
            descriptions.append(model.data(model.index(i), ShortcutListModel::DescriptionRole).toString());
        QVERIFY2(descriptions.contains(findShortcut(mustFind)->description), qPrintable(descriptions.join(u'\n')));
        if (!mustNotFind.isEmpty())
            QVERIFY2(!descriptions.contains(findShortcut(mustNotFind)->description),
                     qPrintable(descriptions.join(u'\n')));
        if (query.isEmpty())
            QCOMPARE(model.rowCount(), int(shortcutTable().size()));
    }
};

QTEST_MAIN(QmlShortcutsTest)
#include "tst_qmlshortcuts.moc"
