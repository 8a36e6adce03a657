// The code editor's text item, driven as a user drives it: keys (moving, selecting, deleting,
// typing, undo), the clipboard, the mouse, an input method, what a screen reader gets, and what
// is drawn where. A large file must cost only the lines in view.

#include "codeeditorview.h"
#include "codetextlayout.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QTest>
#include <QTextBlock>
#include <QtQml/qqmlextensionplugin.h>

#include <memory>

Q_IMPORT_QML_PLUGIN(VexaAI_CodePlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using vexa::CodeEditorView;

namespace {

// The editor in its scroller, as the pane has it; opaque, exact colours so pixels can be checked.
const QByteArray kScene = R"(
import QtQuick
import VexaAI.Code
Item {
    width: 500; height: 300
    property alias editor: edit
    property int shortcuts: 0
    Shortcut {
        sequences: ["Ctrl+Z", "Ctrl+A", "Delete", "Left", "X", "Ctrl+C"]
        onActivated: parent.shortcuts++
    }
    CodeScroller {
        id: flick
        anchors.fill: parent
        editor: edit
        CodeEditorView {
            id: edit
            objectName: "edit"
            width: flick.editorWidth
            height: flick.editorHeight
            viewport: Qt.rect(flick.contentX, flick.contentY, flick.width, flick.height)
            font.family: "monospace"
            font.pixelSize: 14
            color: "#ffffff"
            backgroundColor: "#000000"
            selectionColor: "#ff0000"
            selectedTextColor: "#ff0000"
            Accessible.name: "main.py"
            Accessible.description: "Редактор кода"
        }
    }
}
)";

// A text with the cursor marked '|' and, when there is a selection, its anchor '^'.
struct Marked {
    QString text;
    int cursor = 0;
    int anchor = 0;
};

Marked parse(QString marked)
{
    Marked out;
    const int caret = int(marked.indexOf(u'|'));
    const int anchor = int(marked.indexOf(u'^'));
    out.cursor = caret - (anchor >= 0 && anchor < caret ? 1 : 0);
    out.anchor = anchor < 0 ? out.cursor : anchor - (anchor > caret ? 1 : 0);
    marked.remove(u'|');
    marked.remove(u'^');
    out.text = marked;
    return out;
}

QString mark(CodeEditorView *view)
{
    QString text = view->text();
    const int cursor = view->cursorPosition();
    const int anchor = view->textCursor().anchor();
    if (anchor != cursor) {
        text.insert(qMax(anchor, cursor), anchor > cursor ? u'^' : u'|');
        text.insert(qMin(anchor, cursor), anchor > cursor ? u'|' : u'^');
    } else {
        text.insert(cursor, u'|');
    }
    return text;
}

class Scene {
public:
    Scene()
    {
        window.engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
        window.setColor(Qt::black);
        window.setResizeMode(QQuickView::SizeViewToRootObject);
        QQmlComponent component(window.engine());
        component.setData(kScene, QUrl());
        window.setContent(QUrl(), &component, component.create());
        if (!window.rootObject()) {
            qWarning() << component.errorString();
            return;
        }
        editor = window.rootObject()->property("editor").value<CodeEditorView *>();
        window.show();
        editor->forceActiveFocus();
    }
    bool ready() { return editor && QTest::qWaitForWindowExposed(&window); }
    void set(const Marked &marked)
    {
        editor->setText(marked.text);
        editor->select(marked.anchor, marked.cursor);
    }
    // "Shift+Right" and the like, or "text:abc" typed key by key.
    void press(const QString &keys)
    {
        if (keys.startsWith(QLatin1String("text:"))) {
            for (const QChar c : keys.mid(5))
                QTest::keyClick(&window, c.toLatin1());
            return;
        }
        const QKeyCombination key = QKeySequence::fromString(keys)[0];
        QTest::keyClick(&window, key.key(), key.keyboardModifiers());
    }
    // The scene's point at a position in the text.
    QPoint pointAt(int position, qreal dx = 2) const
    {
        const QRectF r = editor->positionToRectangle(position);
        return editor->mapToScene(QPointF(r.left() + dx, r.center().y())).toPoint();
    }
    int shortcuts() const { return window.rootObject()->property("shortcuts").toInt(); }

    QQuickView window;
    CodeEditorView *editor = nullptr;
};

int laidOutBlocks(QTextDocument *document)
{
    int count = 0;
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next())
        count += block.layout() && block.layout()->lineCount() > 0;
    return count;
}

} // namespace

class TstCodeEditorView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QQuickStyle::setStyle(QStringLiteral("Material")); }
    void keys_data();
    void keys();
    void clipboardGivesLines();
    void pagesMoveByTheView();
    void mouse_data();
    void mouse();
    void touchTapPlacesTheCursor();
    void inputMethodComposes();
    void largeFileCostsTheLinesInView();
    void linesDrawnAtTheirRows();
    void screenReader();
};

void TstCodeEditorView::keys_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("shortcuts");

    QTest::newRow("Left collapses a selection to its start") << "a^bc|d" << QStringList{"Left"} << false << "a|bcd" << 0;
    QTest::newRow("Right collapses it to its end") << "a|bc^d" << QStringList{"Right"} << false << "abc|d" << 0;
    QTest::newRow("Shift+Right extends") << "a|bcd" << QStringList{"Shift+Right", "Shift+Right"} << false << "a^bc|d" << 0;
    QTest::newRow("Ctrl+Right goes to the next word") << "|alpha beta" << QStringList{"Ctrl+Right"} << false << "alpha |beta" << 0;
    QTest::newRow("Down keeps the column past a short line")
        << "abcdef|\nab\nabcdefgh" << QStringList{"Down", "Down"} << false << "abcdef\nab\nabcdef|gh" << 0;
    QTest::newRow("Shift+Down selects across lines") << "a|b\ncd" << QStringList{"Shift+Down"} << false << "a^b\nc|d" << 0;
    QTest::newRow("Home goes to the first non-blank") << "  ab|c" << QStringList{"Home"} << false << "  |abc" << 0;
    QTest::newRow("Home again goes to the line's start") << "  ab|c" << QStringList{"Home", "Home"} << false << "|  abc" << 0;
    QTest::newRow("Shift+Home selects to the first non-blank") << "\tab|c" << QStringList{"Shift+Home"} << false << "\t|ab^c" << 0;
    QTest::newRow("End") << "  |abc\nd" << QStringList{"End"} << false << "  abc|\nd" << 0;
    QTest::newRow("Ctrl+End") << "|a\nb\nc" << QStringList{"Ctrl+End"} << false << "a\nb\nc|" << 0;
    QTest::newRow("Backspace at a line's start joins the lines") << "ab\n|cd" << QStringList{"Backspace"} << false << "ab|cd" << 0;
    QTest::newRow("Delete") << "a|bc" << QStringList{"Delete"} << false << "a|c" << 0;
    QTest::newRow("Ctrl+Backspace deletes the word") << "foo bar|" << QStringList{"Ctrl+Backspace"} << false << "foo |" << 0;
    QTest::newRow("typing replaces the selection") << "a^bc|d" << QStringList{"text:X"} << false << "aX|d" << 0;
    QTest::newRow("Ctrl+A then a key replaces every line") << "ab\ncd|" << QStringList{"Ctrl+A", "text:z"} << false << "z|" << 0;
    QTest::newRow("Enter splits the line") << "ab|cd" << QStringList{"Return"} << false << "ab\n|cd" << 0;
    QTest::newRow("Ctrl+Z takes back the typing") << "x|" << QStringList{"text:abc", "Ctrl+Z"} << false << "x|" << 0;
    QTest::newRow("Ctrl+Shift+Z gives it back")
        << "x|" << QStringList{"text:abc", "Ctrl+Z", "Ctrl+Shift+Z"} << false << "xabc|" << 0;
    QTest::newRow("read-only: typing and deleting do nothing")
        << "ab|c" << QStringList{"text:z", "Backspace", "Delete", "Ctrl+Z"} << true << "ab|c" << 0;
    QTest::newRow("read-only: moving and selecting still work")
        << "ab|c" << QStringList{"Left", "Shift+Home"} << true << "|a^bc" << 0;
}

// Each key does what it does in any text field, and none of them reaches the window's shortcuts.
void TstCodeEditorView::keys()
{
    QFETCH(QString, before);
    QFETCH(QStringList, keys);
    QFETCH(bool, readOnly);
    QFETCH(QString, after);
    QFETCH(int, shortcuts);
    Scene scene;
    QVERIFY(scene.ready());
    scene.set(parse(before));
    scene.editor->setReadOnly(readOnly);
    for (const QString &key : keys)
        scene.press(key);
    QCOMPARE(mark(scene.editor), after);
    QCOMPARE(scene.shortcuts(), shortcuts);
}

// Copying gives lines with line feeds (the document keeps U+2029 between them); cut and paste
// bring the text back as it was.
void TstCodeEditorView::clipboardGivesLines()
{
    Scene scene;
    QVERIFY(scene.ready());
    scene.set(parse("^def f():\n    return 1|"));
    scene.press(QStringLiteral("Ctrl+C"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("def f():\n    return 1"));
    scene.press(QStringLiteral("Ctrl+X"));
    QCOMPARE(scene.editor->text(), QString());
    scene.press(QStringLiteral("Ctrl+V"));
    scene.press(QStringLiteral("Ctrl+V"));
    QCOMPARE(scene.editor->text(), QStringLiteral("def f():\n    return 1def f():\n    return 1"));
    QCOMPARE(scene.editor->lineCount(), 3);
    QCOMPARE(scene.shortcuts(), 0);
}

// Page Down moves the cursor by a view's height of lines, keeping its column, and the view
// follows it; Page Up comes back.
void TstCodeEditorView::pagesMoveByTheView()
{
    Scene scene;
    QVERIFY(scene.ready());
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("line %1").arg(i, 3, 10, QLatin1Char('0'));
    scene.editor->setText(lines.join(u'\n'));
    scene.editor->setCursorPosition(2);
    const int page = scene.editor->linesPerPage();
    QVERIFY2(page > 5 && page * scene.editor->lineHeight() <= 300, qPrintable(QString::number(page)));
    scene.press(QStringLiteral("PgDown"));
    scene.press(QStringLiteral("PgDown"));
    const QTextCursor &cursor = scene.editor->textCursor();
    QCOMPARE(cursor.blockNumber(), 2 * page);
    QCOMPARE(cursor.positionInBlock(), 2);
    auto *flick = scene.editor->parentItem()->parentItem();
    const QRectF caret = scene.editor->cursorRectangle();
    const qreal top = flick->property("contentY").toReal();
    QVERIFY(caret.top() >= top && caret.bottom() <= top + flick->height());
    scene.press(QStringLiteral("Shift+PgUp"));
    QCOMPARE(scene.editor->textCursor().blockNumber(), page);
    QCOMPARE(scene.editor->selectedText().count(QChar::ParagraphSeparator), page);
}

void TstCodeEditorView::mouse_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<QString>("after");

    // On "alpha beta\ngamma delta": a click, a shift-click, a double and a triple click, a drag.
    QTest::newRow("a click puts the cursor") << "click 13" << "alpha beta\nga|mma delta";
    QTest::newRow("Shift+click selects up to it") << "shift 13" << "al^pha beta\nga|mma delta";
    QTest::newRow("a double click selects the word") << "double 8" << "alpha ^beta|\ngamma delta";
    QTest::newRow("a triple click selects the line") << "triple 8" << "^alpha beta\n|gamma delta";
    QTest::newRow("a drag selects across lines") << "drag 3 14" << "alp^ha beta\ngam|ma delta";
}

void TstCodeEditorView::mouse()
{
    QFETCH(QString, gesture);
    QFETCH(QString, after);
    Scene scene;
    QVERIFY(scene.ready());
    scene.set(parse("al|pha beta\ngamma delta"));
    const QStringList parts = gesture.split(u' ');
    const QPoint at = scene.pointAt(parts.at(1).toInt());
    if (parts.at(0) == QLatin1String("click")) {
        QTest::mouseClick(&scene.window, Qt::LeftButton, {}, at);
    } else if (parts.at(0) == QLatin1String("shift")) {
        QTest::mouseClick(&scene.window, Qt::LeftButton, Qt::ShiftModifier, at);
    } else if (parts.at(0) == QLatin1String("double") || parts.at(0) == QLatin1String("triple")) {
        QTest::mouseDClick(&scene.window, Qt::LeftButton, {}, at);
        if (parts.at(0) == QLatin1String("triple"))
            QTest::mouseClick(&scene.window, Qt::LeftButton, {}, at);
    } else {
        const QPoint to = scene.pointAt(parts.at(2).toInt());
        QTest::mousePress(&scene.window, Qt::LeftButton, {}, at);
        QTest::mouseMove(&scene.window, (at + to) / 2);
        QTest::mouseMove(&scene.window, to);
        QTest::mouseRelease(&scene.window, Qt::LeftButton, {}, to);
    }
    QCOMPARE(mark(scene.editor), after);
}

// A finger's tap puts the cursor where it lifts and selects nothing (its drags scroll).
void TstCodeEditorView::touchTapPlacesTheCursor()
{
    Scene scene;
    QVERIFY(scene.ready());
    scene.set(parse("al|pha beta\ngamma delta"));
    const std::unique_ptr<QPointingDevice> finger(QTest::createTouchDevice());
    const QPoint at = scene.pointAt(13);
    QTest::touchEvent(&scene.window, finger.get()).press(0, at, &scene.window);
    QTest::touchEvent(&scene.window, finger.get()).release(0, at, &scene.window);
    QTRY_COMPARE(mark(scene.editor), QStringLiteral("alpha beta\nga|mma delta"));
}

// Text being composed shows at the cursor but is not in the document (nor undoable) until the
// input method commits it.
void TstCodeEditorView::inputMethodComposes()
{
    Scene scene;
    QVERIFY(scene.ready());
    scene.set(parse("a|b"));
    QInputMethodEvent composing(QStringLiteral("ni"), {});
    QGuiApplication::sendEvent(scene.editor, &composing);
    QCOMPARE(scene.editor->text(), QStringLiteral("ab"));
    QInputMethodEvent committed;
    committed.setCommitString(QStringLiteral("你"));
    QGuiApplication::sendEvent(scene.editor, &committed);
    QCOMPARE(mark(scene.editor), QStringLiteral("a你|b"));
    QCOMPARE(scene.editor->inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("a你b"));
    QCOMPARE(scene.editor->inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);
}

// A 50,000-line file: opening it, going to its middle, typing and drawing lay out only about a
// screen of lines (a layout of every line is what makes a text item slow in a large file).
void TstCodeEditorView::largeFileCostsTheLinesInView()
{
    Scene scene;
    QVERIFY(scene.ready());
    QStringList lines;
    for (int i = 0; i < 50'000; ++i)
        lines << QStringLiteral("    value_%1 = compute(%1)  # line").arg(i);
    scene.editor->setText(lines.join(u'\n'));
    QCOMPARE(scene.editor->lineCount(), 50'000);
    // The width is known before the lines are laid out (the longest is the last one).
    QVERIFY(scene.editor->contentWidth() >= scene.editor->textLayout()->blockBoundingRect(
                scene.editor->document()->lastBlock()).width() - 1);
    scene.editor->setCursorPosition(scene.editor->document()->findBlockByNumber(25'000).position());
    scene.press(QStringLiteral("text:x"));
    scene.press(QStringLiteral("Down"));
    QVERIFY(QTest::qWaitForWindowExposed(&scene.window));
    const QImage frame = scene.window.grabWindow();
    QVERIFY(!frame.isNull());
    QCOMPARE(scene.editor->document()->findBlockByNumber(25'000).text().left(5), QStringLiteral("x    "));
    const int laidOut = laidOutBlocks(scene.editor->document());
    QVERIFY2(laidOut < 100, qPrintable(QString::number(laidOut)));
    // Lines passed on the way through the file are let go beyond a bound.
    for (int n = 0; n < 50'000; n += 7)
        scene.editor->textLayout()->ensureLayout(scene.editor->document()->findBlockByNumber(n));
    QVERIFY(laidOutBlocks(scene.editor->document()) <= int(vexa::CodeTextLayout::kKeptLayouts) + 100);
    // The lines in view are drawn: some of the frame is text.
    int lit = 0;
    for (int y = 0; y < frame.height(); y += 2)
        for (int x = 0; x < frame.width(); x += 2)
            lit += qGray(frame.pixel(x, y)) > 128;
    QVERIFY(lit > 100);
}

// A selected line is drawn on its own row, and on its new row once lines are added above it
// (a line keeps its layout while the lines above it change).
void TstCodeEditorView::linesDrawnAtTheirRows()
{
    Scene scene;
    QVERIFY(scene.ready());
    scene.editor->setText(QStringLiteral("a\nb\nc\nd\nMMMMMMMM\nf\ng\nh\ni\nj"));
    const auto selectedRows = [&] {
        const QImage frame = scene.window.grabWindow();
        QList<int> rows;
        const qreal lineHeight = scene.editor->lineHeight();
        for (int row = 0; row < 12; ++row) {
            const QPointF centre = scene.editor->mapToScene(
                QPointF(scene.editor->leftPadding() + 3, scene.editor->topPadding() + (row + 0.5) * lineHeight));
            const QColor pixel = frame.pixelColor(centre.toPoint());
            if (pixel.red() > 200 && pixel.green() < 60)
                rows << row;
        }
        return rows;
    };
    const int line = int(scene.editor->text().indexOf(QLatin1String("MMMM")));
    scene.editor->select(line, line + 8);
    QCOMPARE(selectedRows(), QList<int>{4});
    scene.editor->insert(0, QStringLiteral("x\ny\nz\n"));
    QCOMPARE(selectedRows(), QList<int>{7});
}

// A screen reader gets an editable multi-line text with the QML name and description, its text
// with line feeds, lines and words from the line asked about, the cursor, and edits (refused in
// a read-only file).
void TstCodeEditorView::screenReader()
{
    Scene scene;
    QVERIFY(scene.ready());
    scene.set(parse("def add(a, b):\n    return| a + b"));
    QAccessibleInterface *editor = QAccessible::queryAccessibleInterface(scene.editor);
    QVERIFY(editor);
    QCOMPARE(editor->role(), QAccessible::EditableText);
    QCOMPARE(editor->text(QAccessible::Name), QStringLiteral("main.py"));
    QCOMPARE(editor->text(QAccessible::Description), QStringLiteral("Редактор кода"));
    QVERIFY(editor->state().multiLine && editor->state().editable);
    QVERIFY(editor->parent());
    QAccessibleTextInterface *text = editor->textInterface();
    QVERIFY(text);
    QCOMPARE(text->characterCount(), 31);
    QCOMPARE(text->text(0, 20), QStringLiteral("def add(a, b):\n    r"));
    QCOMPARE(text->cursorPosition(), 25);
    int start = 0;
    int end = 0;
    QCOMPARE(text->textAtOffset(25, QAccessible::LineBoundary, &start, &end), QStringLiteral("    return a + b"));
    QCOMPARE(text->textBeforeOffset(25, QAccessible::LineBoundary, &start, &end), QStringLiteral("def add(a, b):\n"));
    QCOMPARE(start, 0);
    QCOMPARE(text->textAtOffset(5, QAccessible::WordBoundary, &start, &end), QStringLiteral("add"));
    QCOMPARE(text->textAfterOffset(5, QAccessible::WordBoundary, &start, &end), QStringLiteral("("));
    QCOMPARE(text->textAtOffset(5, QAccessible::CharBoundary, &start, &end), QStringLiteral("d"));
    text->setCursorPosition(4);
    QCOMPARE(scene.editor->cursorPosition(), 4);
    QVERIFY(!text->characterRect(4).isEmpty());

    QAccessibleEditableTextInterface *editable = editor->editableTextInterface();
    QVERIFY(editable);
    editable->insertText(0, QStringLiteral("# sum\n"));
    QCOMPARE(scene.editor->lineCount(), 3);
    scene.editor->setReadOnly(true);
    QVERIFY(editor->state().readOnly);
    editable->deleteText(0, 6);
    QCOMPARE(scene.editor->lineCount(), 3);
}

QTEST_MAIN(TstCodeEditorView)
#include "tst_codeeditorview.moc"
