#include "rolestyle.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <QTextDocument>

#include <atomic>
#include <thread>

using namespace vexa::highlight;
using vexa::highlight::detail::RoleColors;

class TstStyledCode : public QObject {
    Q_OBJECT

private slots:
    void styledCodeKeepsTheText_data();
    void styledCodeKeepsTheText();
    void inPlaceNeverWaits();
};

void TstStyledCode::styledCodeKeepsTheText_data()
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
void TstStyledCode::styledCodeKeepsTheText()
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
void TstStyledCode::inPlaceNeverWaits()
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

QTEST_MAIN(TstStyledCode)
#include "tst_styledcode.moc"
