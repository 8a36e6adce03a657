// The editor's colours: the same runs as colouring the whole text, kept as the text is edited,
// with an edit colouring again only its own lines unless it opens or closes something that runs
// on (a docstring), and hostile lines (one 5 MB line) left plain without a stall.
#include "editorhighlighter.h"

#include "awaittask.h"

#include <QGuiApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QTextLayout>

using namespace vexa::highlight;
using vexa::test::waitUntil;

namespace {

// A layout that lays nothing out: a document reports its changes only once it has a layout, and
// Qt's own would shape every line (a 5 MB one for many seconds) for nothing here.
class NoLayout : public QAbstractTextDocumentLayout {
public:
    using QAbstractTextDocumentLayout::QAbstractTextDocumentLayout;
    void draw(QPainter *, const PaintContext &) override {}
    int hitTest(const QPointF &, Qt::HitTestAccuracy) const override { return -1; }
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override { return {}; }
    QRectF frameBoundingRect(QTextFrame *) const override { return {}; }
    QRectF blockBoundingRect(const QTextBlock &) const override { return {}; }

protected:
    void documentChanged(int, int, int) override {}
};

// A document as the editor's: changes reported, nothing laid out.
class Document : public QTextDocument {
public:
    Document() { setDocumentLayout(new NoLayout(this)); }
};

// The runs drawn on a block, as spans of roles known by their colour.
QList<Span> drawnSpans(const QTextBlock &block, const detail::RoleColors &colors)
{
    QList<Span> spans;
    for (const QTextLayout::FormatRange &r : block.layout()->formats()) {
        Role role = Role::Plain;
        for (size_t i = 1; i < colors.size(); ++i)
            if (r.format.foreground().color() == colors[i])
                role = Role(i);
        spans.append(Span{r.start, r.length, role});
    }
    return spans;
}

// Whether every line shows exactly what colouring the whole text at once gives.
bool matchesWholeText(QTextDocument &doc, const QString &language)
{
    const Result whole = highlight(language, doc.toPlainText(), Budget{1 << 30, 1 << 30, 2000,
                                                                     std::chrono::seconds(30)});
    const detail::RoleColors colors = detail::defaultColors();
    int n = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next(), ++n) {
        if (drawnSpans(b, colors) != whole.lines.value(n)) {
            qWarning() << "line" << n << b.text() << "differs";
            return false;
        }
    }
    return true;
}

QString pythonSample(int copies)
{
    QString text;
    for (int i = 0; i < copies; ++i)
        text += QStringLiteral("def f%1(x):\n    \"\"\"Doc %1.\"\"\"\n    return x + %1  # sum\n\n"
                               "s = 'text %1'\n").arg(i);
    return text;
}

void insertAt(QTextDocument &doc, int position, const QString &text)
{
    QTextCursor cursor(&doc);
    cursor.setPosition(position);
    cursor.insertText(text);
}

} // namespace

class TstEditorHighlighter : public QObject {
    Q_OBJECT

private slots:
    void coloursLikeTheWholeText();
    void editsColourOnlyTheirLines_data();
    void editsColourOnlyTheirLines();
    void docstringRunsOnAndCloses();
    void hostileLinesStayPlain();
    void languageChangeRecolours();
};

void TstEditorHighlighter::coloursLikeTheWholeText()
{
    // Fault: states not carried from piece to piece (a 200-line piece boundary inside a
    // docstring), or runs put on the wrong line.
    Document doc;
    QString text = pythonSample(60);
    text.insert(text.indexOf(QStringLiteral("def f40")), QStringLiteral("x = \"\"\"a\nb\nc\"\"\"\n"));
    doc.setPlainText(text);
    EditorHighlighter h;
    h.setTextDocument(&doc);
    h.setLanguage(QStringLiteral("python"));
    QVERIFY(waitUntil([&] { return !h.busy(); }));
    QVERIFY(doc.blockCount() > 300);
    QVERIFY(matchesWholeText(doc, QStringLiteral("python")));
}

void TstEditorHighlighter::editsColourOnlyTheirLines_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("maxLines");
    // Fault: every key colouring the whole text again (or from the edit to its end).
    QTest::newRow("a letter in a name") << 1500 << QStringLiteral("y") << 8;
    QTest::newRow("a new line") << 800 << QStringLiteral("\nz = 1") << 10;
    QTest::newRow("a comment") << 10 << QStringLiteral("# note ") << 8;
}

void TstEditorHighlighter::editsColourOnlyTheirLines()
{
    QFETCH(int, line);
    QFETCH(QString, typed);
    QFETCH(int, maxLines);
    Document doc;
    doc.setPlainText(pythonSample(400));
    EditorHighlighter h;
    h.setTextDocument(&doc);
    h.setLanguage(QStringLiteral("python"));
    QVERIFY(waitUntil([&] { return !h.busy(); }));
    const qint64 before = h.linesTokenized();
    insertAt(doc, doc.findBlockByNumber(line).position(), typed);
    QVERIFY(h.busy());
    QVERIFY(waitUntil([&] { return !h.busy(); }));
    QVERIFY2(h.linesTokenized() - before <= maxLines,
             qPrintable(QString::number(h.linesTokenized() - before)));
    QVERIFY(matchesWholeText(doc, QStringLiteral("python")));
}

void TstEditorHighlighter::docstringRunsOnAndCloses()
{
    Document doc;
    doc.setPlainText(pythonSample(100));
    EditorHighlighter h;
    h.setTextDocument(&doc);
    h.setLanguage(QStringLiteral("python"));
    QVERIFY(waitUntil([&] { return !h.busy(); }));
    // An opened docstring turns the lines after it into string: the colours run on.
    const int at = doc.findBlockByNumber(50).position();
    insertAt(doc, at, QStringLiteral("\"\"\""));
    QVERIFY(waitUntil([&] { return !h.busy(); }));
    QVERIFY(matchesWholeText(doc, QStringLiteral("python")));
    // Typing quickly: each key lands while the previous one's colours are on the way.
    for (const QChar c : QStringLiteral("abc\"\"\""))
        insertAt(doc, at + 3, QString(c));
    QVERIFY(waitUntil([&] { return !h.busy(); }));
    QVERIFY(matchesWholeText(doc, QStringLiteral("python")));
    // Undone: the old colours come back.
    while (doc.isUndoAvailable())
        doc.undo();
    QVERIFY(waitUntil([&] { return !h.busy(); }));
    QCOMPARE(doc.toPlainText(), pythonSample(100));
    QVERIFY(matchesWholeText(doc, QStringLiteral("python")));
}

void TstEditorHighlighter::hostileLinesStayPlain()
{
    // One 5 MB line (and mixed tabs and spaces before it): plain, and the main thread is never
    // held long (the line is not even handed to the tokenizer's rules).
    Document doc;
    QString text = QStringLiteral("\tif x:\n  \t  y = 'a'\n");
    text += QString(5 * 1024 * 1024, u'a');
    text += QStringLiteral("\nz = 1\n");
    doc.setPlainText(text);
    EditorHighlighter h;
    h.setTextDocument(&doc);
    h.setLanguage(QStringLiteral("python"));
    QVERIFY(waitUntil([&] { return !h.busy(); }, 20000));
    QVERIFY(doc.findBlockByNumber(2).layout()->formats().isEmpty());
    QVERIFY(!doc.findBlockByNumber(1).layout()->formats().isEmpty());
    QVERIFY(!doc.findBlockByNumber(3).layout()->formats().isEmpty());
}

void TstEditorHighlighter::languageChangeRecolours()
{
    Document doc;
    doc.setPlainText(QStringLiteral("int x; // c\n"));
    EditorHighlighter h;
    h.setTextDocument(&doc);
    h.setLanguage(QStringLiteral("cpp"));
    QVERIFY(waitUntil([&] { return !h.busy(); }));
    QVERIFY(!doc.begin().layout()->formats().isEmpty());
    // Unknown: every run goes.
    h.setLanguage(QString());
    QVERIFY(waitUntil([&] { return !h.busy(); }));
    QVERIFY(doc.begin().layout()->formats().isEmpty());
}

QTEST_MAIN(TstEditorHighlighter)
#include "tst_editorhighlighter.moc"
