#include "codehighlighter.h"
#include "rolestyle.h"

#include "awaittask.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickTextDocument>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtQml/qqmlextensionplugin.h>

#include <atomic>
#include <thread>

Q_IMPORT_QML_PLUGIN(VexaAI_HighlightPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa::highlight;
using vexa::highlight::detail::RoleColors;
using vexa::test::waitUntil;

namespace {

// The colour drawn at `offset` of block `blockNumber` (the highlighter's formats), or an
// invalid colour when none.
QColor colorAt(QTextDocument *doc, int blockNumber, int offset)
{
    const QTextBlock block = doc->findBlockByNumber(blockNumber);
    for (const QTextLayout::FormatRange &r : block.layout()->formats())
        if (offset >= r.start && offset < r.start + r.length && r.format.hasProperty(QTextFormat::ForegroundBrush))
            return r.format.foreground().color();
    return {};
}

bool anyFormats(QTextDocument *doc)
{
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        if (!b.layout()->formats().isEmpty())
            return true;
    return false;
}

} // namespace

class TstCodeHighlighter : public QObject {
    Q_OBJECT

private slots:
    void coloursArriveOffTheMainThread();
    void languageAndTextChanges();
    void overBudgetIsPlainAtOnce();
    void largeTextArrivesInSlices();
    void destroyedWhileWorking();
    void inQmlWithTheTheme();
    void styledCodeKeepsTheText_data();
    void styledCodeKeepsTheText();
    void inPlaceNeverWaits();
};

void TstCodeHighlighter::coloursArriveOffTheMainThread()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("def f():\n    return 'x'  # c\n"));
    CodeHighlighter h;
    h.setTextDocument(&doc);
    h.setLanguage(QStringLiteral("py"));
    QCOMPARE(h.languageName(), QStringLiteral("Python"));
    QVERIFY(h.busy());
    QVERIFY(waitUntil([&] { return !h.busy(); }));
    QVERIFY(h.complete());
    QCOMPARE(colorAt(&doc, 0, 0), h.colorFor(Role::Keyword));
    QCOMPARE(colorAt(&doc, 1, 11), h.colorFor(Role::String));
    QCOMPARE(colorAt(&doc, 1, 17), h.colorFor(Role::Comment));
    QVERIFY(!colorAt(&doc, 1, 0).isValid());
    // The text itself is untouched.
    QCOMPARE(doc.toPlainText(), QStringLiteral("def f():\n    return 'x'  # c\n"));
}

void TstCodeHighlighter::languageAndTextChanges()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("return x; // y"));
    CodeHighlighter h;
    h.setTextDocument(&doc);
    h.setLanguage(QStringLiteral("javascript"));
    QVERIFY(waitUntil([&] { return !h.busy(); }));
    QCOMPARE(colorAt(&doc, 0, 0), h.colorFor(Role::Keyword));

    // An unknown language: plain again.
    h.setLanguage(QStringLiteral("no-such-language"));
    QVERIFY(waitUntil([&] { return !h.busy() && !anyFormats(&doc); }));
    QVERIFY(h.languageName().isEmpty());

    // New text in a known language is coloured again, line by line as the document has them.
    h.setLanguage(QStringLiteral("bash"));
    doc.setPlainText(QStringLiteral("echo a\n# comment\r\nexit 1"));
    QVERIFY(waitUntil([&] { return !h.busy() && colorAt(&doc, 1, 2).isValid(); }));
    QCOMPARE(colorAt(&doc, 1, 2), h.colorFor(Role::Comment));
    QCOMPARE(doc.blockCount(), 3);
    QCOMPARE(colorAt(&doc, 2, 5), h.colorFor(Role::Number));
}

void TstCodeHighlighter::overBudgetIsPlainAtOnce()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("int a = 1;"));
    CodeHighlighter h;
    h.setTextDocument(&doc);
    h.setLanguage(QStringLiteral("c"));
    QVERIFY(waitUntil([&] { return !h.busy() && anyFormats(&doc); }));

    // A 1 MB line: the colours go, and nothing is handed to the worker (done within the turn
    // of the event loop that started the run, plus the slices clearing the one block).
    doc.setPlainText(QString(1 << 20, u'x'));
    QVERIFY(waitUntil([&] { return !h.busy(); }, 2000));
    QVERIFY(!h.complete());
    QVERIFY(!anyFormats(&doc));
}

void TstCodeHighlighter::largeTextArrivesInSlices()
{
    // 3,000 lines: every one coloured in the end, over several turns of the event loop.
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("x = %1  # line\n").arg(i);
    QTextDocument doc;
    doc.setPlainText(text);
    CodeHighlighter h;
    // The time budget is wall-clock time: on a shared machine 3,000 lines may pass 250 ms.
    h.setBudget(Budget{.time = std::chrono::seconds(60)});
    h.setTextDocument(&doc);
    h.setLanguage(QStringLiteral("python"));
    QVERIFY(waitUntil([&] { return !h.busy(); }, 20000));
    QVERIFY(h.complete());
    QCOMPARE(colorAt(&doc, 2999, 10), h.colorFor(Role::Comment));
    QCOMPARE(colorAt(&doc, 0, 4), h.colorFor(Role::Number));
}

void TstCodeHighlighter::destroyedWhileWorking()
{
    // A highlighter or its document gone while its run is queued or under way: nothing is
    // delivered to either.
    QString text;
    for (int i = 0; i < 4000; ++i)
        text += QStringLiteral("int f%1() { return %1; }\n").arg(i);
    for (int round = 0; round < 5; ++round) {
        auto *doc = new QTextDocument;
        doc->setPlainText(text);
        auto *h = new CodeHighlighter;
        h->setTextDocument(doc);
        h->setLanguage(QStringLiteral("cpp"));
        QTest::qWait(round * 3);
        if (round % 2) {
            delete doc;
            delete h;
        } else {
            delete h;
            delete doc;
        }
    }
    QTest::qWait(200);
}

void TstCodeHighlighter::inQmlWithTheTheme()
{
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQuick
        import VexaAI.Style
        import VexaAI.Highlight
        TextEdit {
            id: edit
            property alias highlighter: highlighter
            readonly property color themeKeyword: VexaTheme.codeKeyword
            readOnly: true
            textFormat: TextEdit.PlainText
            text: "fn main() { let x = 1; }"
            CodeHighlighter { id: highlighter; document: edit.textDocument; language: "rs" }
        })", QUrl());
    std::unique_ptr<QObject> root(component.create());
    QVERIFY2(root, qPrintable(component.errorString()));
    auto *h = root->property("highlighter").value<CodeHighlighter *>();
    QVERIFY(h);
    QCOMPARE(h->languageName(), QStringLiteral("Rust"));
    QTextDocument *doc = h->document()->textDocument();
    QVERIFY(waitUntil([&] { return !h->busy() && anyFormats(doc); }));
    // The theme's colour (the fallback built in for use outside QML must stay the same).
    QCOMPARE(h->colorFor(Role::Keyword), root->property("themeKeyword").value<QColor>());
    QCOMPARE(colorAt(doc, 0, 0), h->colorFor(Role::Keyword));
    root->setProperty("text", QStringLiteral("# not rust at all"));
    h->setLanguage(QStringLiteral("python"));
    QVERIFY(waitUntil([&] { return !h->busy() && colorAt(doc, 0, 3) == h->colorFor(Role::Comment); }));
}

void TstCodeHighlighter::styledCodeKeepsTheText_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("code");
    // What a reader of the styled text sees, where it differs from the code.
    QTest::addColumn<QString>("shown");
    // Markup in the code would become markup in the panel; folded spaces would lose indents.
    QTest::newRow("markup is text") << "html" << "<b>&amp; \"x\" <!-- c --></b>" << QString();
    QTest::newRow("indents and runs of spaces") << "python" << "def f():\n    return  1\n\n  # x" << QString();
    QTest::newRow("tabs to four columns") << "go" << "\tx := 1\nab\tc" << "    x := 1\nab  c";
    QTest::newRow("CRLF lines") << "c" << "int a;\r\nint b;\r\n" << "int a;\nint b;\n";
    QTest::newRow("unknown language") << "klingon" << "a <b> c" << QString();
    QTest::newRow("surrogates beside runs") << "python" << "s = \"😀\" # 😀 ok" << QString();
    QTest::newRow("empty") << "python" << "" << QString();
}

// The styled text shows the code as written, coloured: every character survives the markup
// (laid out as rich text it reads back as the code), and the runs are coloured.
void TstCodeHighlighter::styledCodeKeepsTheText()
{
    QFETCH(QString, language);
    QFETCH(QString, code);
    QFETCH(QString, shown);
    const RoleColors colors = detail::defaultColors();
    const Result result = highlight(language, code);
    const QString styled = styledCode(code, result.lines, colors);
    QTextDocument doc;
    doc.setHtml(styled);
    QCOMPARE(doc.toPlainText(), shown.isNull() ? code : shown);
    bool coloured = false;
    for (const auto &line : result.lines)
        coloured = coloured || !line.isEmpty();
    QCOMPARE(styled.contains(QStringLiteral("<font color=")), coloured);

    // Runs that do not fit their line (a highlighter's fault) are left plain, text intact.
    QList<QList<Span>> broken{{Span{2, 500, Role::Keyword}, Span{-3, 2, Role::String}, Span{0, 1, Role::Number}}};
    doc.setHtml(styledCode(code, broken, colors));
    QCOMPARE(doc.toPlainText(), shown.isNull() ? code : shown);
}

// The main thread's call gives up at once instead of waiting: on a language not read yet, and
// while another thread has the library; once ready it gives what highlight() gives.
void TstCodeHighlighter::inPlaceNeverWaits()
{
    const QString code = QStringLiteral("key: value # note\nlist:\n  - 1\n");
    Budget budget;
    budget.time = std::chrono::milliseconds(2);
    QVERIFY(!highlightIfReady(QStringLiteral("yaml"), code, budget).has_value());
    const Result full = highlight(QStringLiteral("yaml"), code);
    const auto now = highlightIfReady(QStringLiteral("yaml"), code, budget);
    QVERIFY(now.has_value() && now->complete);
    QCOMPARE(now->lines, full.lines);

    // Another thread holds the library (a long highlight): no wait.
    QString big;
    for (int i = 0; i < 20000; ++i)
        big += QStringLiteral("key%1: \"value %1\" # c\n").arg(i);
    std::atomic<bool> started = false;
    std::thread worker([&] {
        started = true;
        Budget slow;
        slow.maxChars = big.size() + 1;
        slow.maxLines = 30000;
        slow.time = std::chrono::seconds(5);
        highlight(QStringLiteral("yaml"), big, slow);
    });
    while (!started)
        std::this_thread::yield();
    QTest::qWait(20);
    QElapsedTimer timer;
    timer.start();
    const auto busy = highlightIfReady(QStringLiteral("yaml"), code, budget);
    const qint64 waited = timer.elapsed();
    worker.join();
    QVERIFY2(!busy.has_value(), "the library was free (the long highlight ended too soon)");
    QVERIFY2(waited < 50, qPrintable(QString::number(waited)));
}

QTEST_MAIN(TstCodeHighlighter)
#include "tst_codehighlighter.moc"
