// The tokenizer and the libraries under it are loaded with their module on the first colouring
// of a language that is coloured, and not before: a process that shows no code keeps them out.
// One process, in order: each step depends on what the ones before did not load.
#include "highlight.h"
#include "processmaps.h"

#include <QTest>

using namespace vexa::highlight;
using vexa::test::mapped;

class HighlightEngineTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void notLoadedForPlainText();
    void notLoadedOnTheMainThreadsTry();
    void loadedByTheFirstColouring();
};

// Code in no language, or in one not coloured here, is plain and complete without the module.
void HighlightEngineTest::notLoadedForPlainText()
{
    for (const QString &language : {QString(), QStringLiteral("text"), QStringLiteral("cobol")}) {
        const Result result = highlight(language, QStringLiteral("a\nb"));
        QCOMPARE(result.lines.size(), 2);
        QVERIFY(result.complete);
        const auto ready = highlightIfReady(language, QStringLiteral("a"), Budget{});
        QVERIFY(ready && ready->complete);
        QCOMPARE(highlightLines(language, {QStringLiteral("x")}, 0).endStates, QList<int>{0});
    }
    QVERIFY(!mapped("vexa-highlight-engine"));
    QVERIFY(!mapped("libsource-highlight"));
    QVERIFY(!mapped("libboost_regex"));
}

// The no-wait call leaves the load (a few milliseconds) to a caller that may wait.
void HighlightEngineTest::notLoadedOnTheMainThreadsTry()
{
    QVERIFY(!highlightIfReady(QStringLiteral("python"), QStringLiteral("x = 1"), Budget{}));
    QVERIFY(!mapped("vexa-highlight-engine"));
}

void HighlightEngineTest::loadedByTheFirstColouring()
{
    const Result result = highlight(QStringLiteral("python"), QStringLiteral("def f():\n    return 1"));
    QVERIFY(result.complete);
    QVERIFY(!result.lines.at(0).isEmpty()); // "def" is a keyword
    QVERIFY(mapped("vexa-highlight-engine"));
    QVERIFY(mapped("libsource-highlight"));
    // The no-wait call colours from now on (the definition was read by the call above).
    const auto ready = highlightIfReady(QStringLiteral("python"), QStringLiteral("return 2"), Budget{});
    QVERIFY(ready && !ready->lines.at(0).isEmpty());
}

QTEST_GUILESS_MAIN(HighlightEngineTest)
#include "tst_highlightengine.moc"
