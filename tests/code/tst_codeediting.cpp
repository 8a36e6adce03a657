// The editor's line keys: the file's indentation style, Enter, Tab, Shift+Tab and Ctrl+/ per
// language, each edit one undo step.
#include "codeediting.h"
#include "codeindent.h"

#include <QGuiApplication>
#include <QTest>
#include <QTextDocument>

using namespace vexa::code;

Q_DECLARE_METATYPE(vexa::code::IndentStyle)

class TstCodeEditing : public QObject {
    Q_OBJECT

private slots:
    void detectsStyle_data();
    void detectsStyle();
    void enterKeepsIndentation_data();
    void enterKeepsIndentation();
    void linesIndentAndOutdent_data();
    void linesIndentAndOutdent();
    void commentsToggle_data();
    void commentsToggle();
    void editsAreOneUndoStep_data();
    void editsAreOneUndoStep();
    void insertsAnswerCode_data();
    void insertsAnswerCode();
};

void TstCodeEditing::detectsStyle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("tabs");
    QTest::addColumn<int>("width");
    // Fault: the unit taken from the first indented line's width instead of the steps.
    QTest::newRow("two spaces, nested") << "a:\n  b:\n    c\n      d\n  e" << false << 2;
    QTest::newRow("four spaces") << "def f():\n    if x:\n        y\n    z\n" << false << 4;
    // Fault: CRLF's '\r' counted as text, or deep first lines read as the unit.
    QTest::newRow("eight deep, four steps, CRLF") << "x\r\n        a\r\n            b\r\n        c\r\n            d\r\n" << false << 4;
    QTest::newRow("tabs") << "int f() {\n\tif (x) {\n\t\ty();\n\t}\n}" << true << 4;
    // Mixed: the majority wins, so one stray tab does not turn a spaces file into tabs.
    QTest::newRow("mostly spaces, a stray tab") << "a\n  b\n    c\n\td\n  e\n    f" << false << 2;
    // Fault: one-space alignment (doc comments) taken as the unit.
    QTest::newRow("doc comment alignment") << "/**\n * a\n */\nint f() {\n    x;\n    y;\n}" << false << 4;
    QTest::newRow("nothing indented: default") << "a\nb\n" << false << 4;
    QTest::newRow("blank lines between levels") << "if a:\n\n   b\n\n   c\n      d" << false << 3;
}

void TstCodeEditing::detectsStyle()
{
    QFETCH(QString, text);
    QFETCH(bool, tabs);
    QFETCH(int, width);
    const IndentStyle style = detectIndent(text);
    QCOMPARE(style.tabs, tabs);
    if (!tabs)
        QCOMPARE(style.width, width);
}

void TstCodeEditing::enterKeepsIndentation_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("expected");
    QTest::newRow("python after colon") << "a.py" << "def f():\n    if x:" << 18 << "def f():\n    if x:\n        ";
    QTest::newRow("python colon before a comment") << "a.py" << "if x:  # why" << 12 << "if x:  # why\n    ";
    QTest::newRow("python plain line keeps") << "a.py" << "    x = 1" << 9 << "    x = 1\n    ";
    // Fault: "{" adding a level in Python, or ":" in C++ (labels, ternaries).
    QTest::newRow("python brace keeps") << "a.py" << "d = {" << 5 << "d = {\n";
    QTest::newRow("cpp after brace") << "a.cpp" << "int f() {" << 9 << "int f() {\n    ";
    QTest::newRow("cpp colon keeps") << "a.cpp" << "  public:" << 9 << "  public:\n  ";
    QTest::newRow("cpp tabs file") << "a.cpp" << "x {\n\ty {" << 8 << "x {\n\ty {\n\t\t";
    // Only what is before the cursor counts: Enter between "(" and ")".
    QTest::newRow("split inside brackets") << "a.js" << "f()" << 2 << "f(\n    )";
    QTest::newRow("shebang names the language") << "run" << "#!/usr/bin/env python3\nif x:" << 28 << "#!/usr/bin/env python3\nif x:\n    ";
}

void TstCodeEditing::enterKeepsIndentation()
{
    QFETCH(QString, fileName);
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(QString, expected);
    QTextDocument doc(text);
    CodeEditing editing;
    editing.setFileName(fileName);
    editing.setTextDocument(&doc);
    const int after = editing.newline(cursor, cursor);
    QCOMPARE(doc.toPlainText(), expected);
    QCOMPARE(after, cursor + expected.size() - text.size());
}

void TstCodeEditing::linesIndentAndOutdent_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<bool>("outdent");
    QTest::addColumn<QString>("expected");
    QTest::newRow("indent two lines, blank kept") << "a\n\nb\nc" << 0 << 4 << false << "    a\n\n    b\nc";
    // Fault: a selection ending at a line's start indenting that line too.
    QTest::newRow("selection ends at line start") << "a\nb\nc" << 0 << 2 << false << "    a\nb\nc";
    QTest::newRow("tab in a line inserts to the stop") << "ab" << 1 << 1 << false << "a   b";
    QTest::newRow("outdent partial and tab") << "  a\n\tb\n      c\nd" << 0 << 14 << true << "a\nb\n    c\nd";
    QTest::newRow("tab file indents with tabs") << "x {\n\ty\n}" << 0 << 8 << false << "\tx {\n\t\ty\n\t}";
}

void TstCodeEditing::linesIndentAndOutdent()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(bool, outdent);
    QFETCH(QString, expected);
    QTextDocument doc(text);
    CodeEditing editing;
    editing.setFileName(u"a.c"_qs);
    editing.setTextDocument(&doc);
    const QPoint selection = outdent ? editing.backtab(start, end) : editing.tab(start, end);
    QCOMPARE(doc.toPlainText(), expected);
    QVERIFY(selection.y() <= doc.characterCount() - 1);
}

void TstCodeEditing::commentsToggle_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("roundTrip");
    QTest::newRow("python comments at common indent") << "a.py" << "    a\n  b\n\n    c" << "  #   a\n  # b\n\n  #   c" << true;
    QTest::newRow("python uncomments") << "a.py" << "  # a\n  #b" << "  a\n  b" << false;
    // Fault: a partly commented block uncommented instead of commented as a whole.
    QTest::newRow("mixed block comments") << "a.cpp" << "// a\nb" << "// // a\n// b" << true;
    QTest::newRow("sql dashes") << "q.sql" << "select 1" << "-- select 1" << true;
    QTest::newRow("bash hash") << "run.sh" << "  echo" << "  # echo" << true;
    QTest::newRow("no line comment: unchanged") << "a.html" << "<p>" << "<p>" << false;
}

void TstCodeEditing::commentsToggle()
{
    QFETCH(QString, fileName);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(bool, roundTrip);
    QTextDocument doc(text);
    CodeEditing editing;
    editing.setFileName(fileName);
    editing.setTextDocument(&doc);
    editing.toggleComment(0, int(text.size()));
    QCOMPARE(doc.toPlainText(), expected);
    // Toggling back gives the text as it was.
    if (roundTrip) {
        editing.toggleComment(0, int(expected.size()));
        QCOMPARE(doc.toPlainText(), text);
    }
}

void TstCodeEditing::editsAreOneUndoStep_data()
{
    QTest::addColumn<int>("edit");
    QTest::newRow("indent") << 0;
    QTest::newRow("outdent") << 1;
    QTest::newRow("comment") << 2;
    QTest::newRow("enter") << 3;
}

void TstCodeEditing::editsAreOneUndoStep()
{
    QFETCH(int, edit);
    const QString text = u"def f():\n    a\n    b\n    c"_qs;
    QTextDocument doc(text);
    doc.clearUndoRedoStacks();
    CodeEditing editing;
    editing.setFileName(u"a.py"_qs);
    editing.setTextDocument(&doc);
    const int end = int(text.size());
    switch (edit) {
    case 0: editing.tab(9, end); break;
    case 1: editing.backtab(9, end); break;
    case 2: editing.toggleComment(0, end); break;
    default: editing.newline(8, 8); break;
    }
    const QString edited = doc.toPlainText();
    QVERIFY(edited != text);
    // One undo takes the whole edit back, and one redo puts all of it again.
    doc.undo();
    QCOMPARE(doc.toPlainText(), text);
    QVERIFY(!doc.isUndoAvailable());
    doc.redo();
    QCOMPARE(doc.toPlainText(), edited);
}

void TstCodeEditing::insertsAnswerCode_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QPoint>("range");
    const QString code = u"def g():\n    return 2\n"_qs;
    QTest::newRow("at the cursor") << 6 << 6 << code << u"a = 1\ndef g():\n    return 2\nb = 2"_qs << QPoint(6, 28);
    // Fault: the selection kept beside the code, or the anchor's side taken for the start.
    QTest::newRow("over the selection") << 0 << 5 << code << u"def g():\n    return 2\n\nb = 2"_qs << QPoint(0, 22);
    QTest::newRow("selection made backwards") << 5 << 0 << code << u"def g():\n    return 2\n\nb = 2"_qs << QPoint(0, 22);
    // Fault: "\r\n" from an answer put in as two line breaks (or "\r" kept).
    QTest::newRow("CRLF code") << 11 << 11 << u"x\r\ny"_qs << u"a = 1\nb = 2x\ny"_qs << QPoint(11, 14);
    QTest::newRow("past the end, clamped") << 40 << 40 << u"z"_qs << u"a = 1\nb = 2z"_qs << QPoint(11, 12);
}

void TstCodeEditing::insertsAnswerCode()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, code);
    QFETCH(QString, expected);
    QFETCH(QPoint, range);
    const QString text = u"a = 1\nb = 2"_qs;
    QTextDocument doc(text);
    doc.clearUndoRedoStacks();
    CodeEditing editing;
    editing.setFileName(u"a.py"_qs);
    editing.setTextDocument(&doc);
    QCOMPARE(editing.insert(start, end, code), range);
    QCOMPARE(doc.toPlainText(), expected);
    // One undo step takes it all back.
    doc.undo();
    QCOMPARE(doc.toPlainText(), text);
    QVERIFY(!doc.isUndoAvailable());
}

QTEST_MAIN(TstCodeEditing)
#include "tst_codeediting.moc"
