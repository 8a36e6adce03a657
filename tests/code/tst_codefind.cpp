// The editor's find and replace: matches per option, invalid and runaway expressions, stepping
// through matches, replacing one and all (one undo step), and stale results after an edit.
#include "codefind.h"

#include "awaittask.h"

#include <QGuiApplication>
#include <QTest>
#include <QTextDocument>

using namespace vexa::code;
using vexa::test::waitUntil;

class TstCodeFind : public QObject {
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void runawayExpressionIsBounded();
    void stepsAndSummary();
    void replaceAllIsOneUndoStep_data();
    void replaceAllIsOneUndoStep();
    void editMakesResultsStale();
};

void TstCodeFind::matches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<bool>("regex");
    QTest::addColumn<QList<int>>("starts");
    QTest::addColumn<bool>("invalid");
    QTest::newRow("plain, any case") << "Foo foo fOO" << "foo" << false << false << false << QList<int>{0, 4, 8} << false;
    QTest::newRow("match case") << "Foo foo fOO" << "foo" << true << false << false << QList<int>{4} << false;
    // Fault: the query used as an expression when it is meant literally.
    QTest::newRow("plain dot is literal") << "a.b axb" << "a.b" << false << false << false << QList<int>{0} << false;
    QTest::newRow("whole word") << "cat concat cat_x cat" << "cat" << false << true << false << QList<int>{0, 17} << false;
    QTest::newRow("whole word, Cyrillic") << "кот котик кот" << "кот" << false << true << false << QList<int>{0, 10} << false;
    QTest::newRow("expression") << "a1 b22 c" << "[a-z]\\d+" << false << false << true << QList<int>{0, 3} << false;
    QTest::newRow("expression alternation whole word") << "ab a b" << "a|b" << false << true << true << QList<int>{3, 5} << false;
    // Fault: empty matches looping for ever or reported as matches.
    QTest::newRow("empty matches skipped") << "aba" << "b*" << false << false << true << QList<int>{1} << false;
    QTest::newRow("invalid expression") << "((" << "(" << false << false << true << QList<int>{} << true;
    QTest::newRow("overlapping not counted twice") << "aaaa" << "aa" << false << false << false << QList<int>{0, 2} << false;
}

void TstCodeFind::matches()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(bool, regex);
    QFETCH(QList<int>, starts);
    QFETCH(bool, invalid);
    QTextDocument doc(text);
    CodeFind find;
    find.setTextDocument(&doc);
    find.setCaseSensitive(matchCase);
    find.setWholeWords(wholeWord);
    find.setRegularExpression(regex);
    find.setQuery(query);
    QVERIFY(find.busy() || invalid);
    QVERIFY(waitUntil([&] { return !find.busy(); }));
    QCOMPARE(!find.error().isEmpty(), invalid);
    QCOMPARE(find.count(), starts.size());
    QList<int> got;
    int position = 0;
    for (int i = 0; i < find.count(); ++i) {
        const QPoint m = find.next(position);
        got.append(m.x());
        position = m.y();
    }
    QCOMPARE(got, starts);
    if (invalid)
        QVERIFY(find.summary().startsWith(u"Неверное регулярное выражение"_qs));
}

void TstCodeFind::runawayExpressionIsBounded()
{
    // Nested quantifiers on a long line that fails at its end: the search ends with an answer
    // (no match or cut short) instead of running away, and off the main thread.
    QTextDocument doc(QString(100000, u'a') + u'!');
    CodeFind find;
    find.setBudget(std::chrono::milliseconds(200));
    find.setTextDocument(&doc);
    find.setRegularExpression(true);
    find.setQuery(u"(a+)+$"_qs);
    QVERIFY(find.busy());
    QVERIFY(waitUntil([&] { return !find.busy(); }, 20000));
    QCOMPARE(find.count(), 0);
    QVERIFY(!find.summary().isEmpty());
}

void TstCodeFind::stepsAndSummary()
{
    QTextDocument doc(u"x = 1\nx = 2\nx = 3"_qs);
    CodeFind find;
    find.setTextDocument(&doc);
    find.setQuery(u"x"_qs);
    QVERIFY(waitUntil([&] { return !find.busy(); }));
    QCOMPARE(find.summary(), u"3"_qs);
    QCOMPARE(find.next(3), QPoint(6, 7));
    QCOMPARE(find.summary(), u"2 из 3"_qs);
    // Wrapping round both ways.
    QCOMPARE(find.next(13), QPoint(0, 1));
    QCOMPARE(find.previous(0), QPoint(12, 13));
    QCOMPARE(find.summary(), u"3 из 3"_qs);
    QCOMPARE(find.previous(6), QPoint(0, 1));
    find.setQuery(u"нет"_qs);
    QVERIFY(waitUntil([&] { return !find.busy(); }));
    QCOMPARE(find.summary(), u"Нет совпадений"_qs);
    QCOMPARE(find.next(0), QPoint(-1, -1));
}

void TstCodeFind::replaceAllIsOneUndoStep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("regex");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain, longer") << "a-a-a" << "a" << false << "bb" << "bb-bb-bb";
    // Fault: "$1" inserted literally, or a plain replacement's "$" taken as a group.
    QTest::newRow("groups") << "f(1, 2) f(3, 4)" << "f\\((\\d), (\\d)\\)" << true << "g($2, $1)" << "g(2, 1) g(4, 3)";
    QTest::newRow("plain dollar kept") << "x" << "x" << false << "$1" << "$1";
    QTest::newRow("dollar escaped") << "ab" << "(a)" << true << "$$$1" << "$ab";
    QTest::newRow("to nothing") << "a, b, c" << ", " << false << "" << "abc";
}

void TstCodeFind::replaceAllIsOneUndoStep()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    QFETCH(bool, regex);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    QTextDocument doc(text);
    doc.clearUndoRedoStacks();
    CodeFind find;
    find.setTextDocument(&doc);
    find.setRegularExpression(regex);
    find.setQuery(query);
    QVERIFY(waitUntil([&] { return !find.busy(); }));
    QVERIFY(find.replaceAll(replacement) > 0);
    QCOMPARE(doc.toPlainText(), expected);
    doc.undo();
    QCOMPARE(doc.toPlainText(), text);
    QVERIFY(!doc.isUndoAvailable());
}

void TstCodeFind::editMakesResultsStale()
{
    QTextDocument doc(u"ab ab"_qs);
    CodeFind find;
    find.setTextDocument(&doc);
    find.setQuery(u"ab"_qs);
    QVERIFY(waitUntil([&] { return !find.busy(); }));
    QCOMPARE(find.count(), 2);
    // Replacing one: only the selected match, and only when the selection is one.
    QCOMPARE(find.replace(0, 1, u"X"_qs), QPoint(3, 5));
    QCOMPARE(doc.toPlainText(), u"ab ab"_qs);
    find.replace(3, 5, u"X"_qs);
    QCOMPARE(doc.toPlainText(), u"ab X"_qs);
    // The old positions are not used for the changed text.
    QVERIFY(find.busy());
    QCOMPARE(find.replaceAll(u"Y"_qs), 0);
    QVERIFY(waitUntil([&] { return !find.busy(); }));
    QCOMPARE(find.count(), 1);
    QCOMPARE(find.replaceAll(u"Y"_qs), 1);
    QCOMPARE(doc.toPlainText(), u"Y X"_qs);
}

QTEST_MAIN(TstCodeFind)
#include "tst_codefind.moc"
