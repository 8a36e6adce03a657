// The editor's scroller: the cursor must stay in sight with a line of context, and the scrolling
// extent must follow the text, growing as a line grows and shrinking once the longest line goes.

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VexaAI_CodePlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

namespace {

const QByteArray kScene = R"(
import QtQuick
import QtQuick.Controls
import VexaAI.Code
CodeScroller {
    id: flick
    width: 600; height: 300
    editor: edit
    CodeEditorView {
        id: edit
        objectName: "edit"
        width: flick.editorWidth
        height: flick.editorHeight
        viewport: Qt.rect(flick.contentX, flick.contentY, flick.width, flick.height)
        font.family: "monospace"
        font.pixelSize: 14
    }
}
)";

QString lines(int count, int longest)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << (i == count / 2 ? QString(longest, u'x') : QStringLiteral("line %1").arg(i));
    return out.join(u'\n');
}

// The scroller with its text area; null (with the errors logged) when the scene does not load.
std::unique_ptr<QQuickItem> makeScene(QQmlEngine &engine)
{
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QQmlComponent component(&engine);
    component.setData(kScene, QUrl());
    std::unique_ptr<QQuickItem> flick(qobject_cast<QQuickItem *>(component.create()));
    if (!flick)
        qWarning() << component.errorString();
    return flick;
}

} // namespace

class TstCodeScroller : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QQuickStyle::setStyle(QStringLiteral("Material")); }
    void typingAtTheEndOfTheLongestLine();
    void cursorStaysInSight_data();
    void cursorStaysInSight();
};

// 300 characters typed at the end of the longest line: after every key the cursor is in sight
// and the extent covers the text; the line deleted, the extent shrinks back to the view.
void TstCodeScroller::typingAtTheEndOfTheLongestLine()
{
    QQmlEngine engine;
    std::unique_ptr<QQuickItem> flick = makeScene(engine);
    QVERIFY(flick);
    QQuickItem *edit = flick->findChild<QQuickItem *>(QStringLiteral("edit"));
    edit->setProperty("text", lines(400, 80));
    const int lineEnd = edit->property("text").toString().indexOf(QString(80, u'x')) + 80;
    edit->setProperty("cursorPosition", lineEnd);
    for (int i = 0; i < 300; ++i) {
        QMetaObject::invokeMethod(edit, "insert", Q_ARG(int, edit->property("cursorPosition").toInt()),
                                  Q_ARG(QString, QStringLiteral("y")));
        const QRectF cursor = edit->property("cursorRectangle").toRectF();
        const double contentX = flick->property("contentX").toDouble();
        QVERIFY2(cursor.x() >= contentX && cursor.right() <= contentX + flick->width(),
                 qPrintable(QStringLiteral("key %1: cursor at %2, view from %3").arg(i).arg(cursor.x()).arg(contentX)));
    }
    const double textWidth = flick->property("textWidth").toDouble();
    QVERIFY(edit->width() >= textWidth);
    QVERIFY(flick->property("contentWidth").toDouble() >= textWidth);
    QVERIFY(flick->property("contentWidth").toDouble() < textWidth + 100);

    const QString text = edit->property("text").toString();
    const int start = text.indexOf(QString(80, u'x'));
    QMetaObject::invokeMethod(edit, "remove", Q_ARG(int, start), Q_ARG(int, start + 380));
    QTRY_COMPARE_WITH_TIMEOUT(flick->property("contentWidth").toDouble(), flick->width(), 5000);
}

void TstCodeScroller::cursorStaysInSight_data()
{
    QTest::addColumn<int>("line");
    QTest::newRow("the last line") << 399;
    QTest::newRow("the middle") << 200;
    QTest::newRow("back to the first") << 0;
}

// Wherever the cursor goes, its line and the lines around it show (the text item leaves out a
// line that only touches the view's edge).
void TstCodeScroller::cursorStaysInSight()
{
    QFETCH(int, line);
    QQmlEngine engine;
    std::unique_ptr<QQuickItem> flick = makeScene(engine);
    QVERIFY(flick);
    QQuickItem *edit = flick->findChild<QQuickItem *>(QStringLiteral("edit"));
    const QString text = lines(400, 20);
    edit->setProperty("text", text);
    // Far away first, so that each row moves the view.
    edit->setProperty("cursorPosition", line < 200 ? text.size() : 0);
    int position = 0;
    for (int i = 0; i < line; ++i)
        position = text.indexOf(u'\n', position) + 1;
    edit->setProperty("cursorPosition", position);
    const QRectF cursor = edit->property("cursorRectangle").toRectF();
    const double top = flick->property("contentY").toDouble();
    const double bottom = top + flick->height();
    if (line > 0)
        QVERIFY2(cursor.y() - cursor.height() >= top - 0.5, qPrintable(QStringLiteral("%1 %2").arg(cursor.y()).arg(top)));
    else
        QCOMPARE(top, 0.0);
    if (line < 399)
        QVERIFY(cursor.bottom() + cursor.height() <= bottom + 0.5);
    else
        QVERIFY(cursor.bottom() <= bottom + 0.5);
}

QTEST_MAIN(TstCodeScroller)
#include "tst_codescroller.moc"
