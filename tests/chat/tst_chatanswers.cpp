// Answers in the chat screen, offscreen: a table and a code panel reached from the keyboard and
// by a screen reader (which hears each block in order), the bubbles read oldest first, and
// block items reused from answer to answer showing only their new answer.

#include "chatscreen.h"

#include "screenreader.h"

#include <QAccessible>
#include <algorithm>
#include <functional>
#include <QClipboard>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QTextDocumentFragment>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VexaAI_ChatPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ClientPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa;
using namespace vexa::test;

class ChatAnswersTest : public ChatScreenTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void tableAndCodeForKeyboardAndScreenReaders();
    void readingOrderFollowsTheScreen();
    void reusedBlocksShowTheirNewAnswer_data();
    void reusedBlocksShowTheirNewAnswer();
    void codeSelectsAsWritten();
};

void ChatAnswersTest::initTestCase()
{
    setUpApplication();
    // The answers are checked as a screen reader hears them: one is listening.
    vexa::ScreenReader::assumeListening(true);
}

void ChatAnswersTest::init()
{
    QVERIFY(startService());
    // The screen must not warn about anything.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void ChatAnswersTest::cleanup()
{
    stop();
}

void ChatAnswersTest::tableAndCodeForKeyboardAndScreenReaders()
{
    const QString table = QStringLiteral(
        "Итоги:\n\n| Город | Жители | Доля |\n|:---|---:|:-:|\n| Москва | 13 | 9 % |\n"
        "| Казань | 1,3 | 1 % |\n| Омск | 1,1 | 1 % |\n| Сочи | 0,4 | 0,3 % |\n| Тула | 0,5 | 0,3 % |");
    const QString code = QStringLiteral("Так:\n\n```python\nprint(1)\n```");
    m_client->setEntries({userEntry(QStringLiteral("Таблицу?")), answerEntry(table),
                          answerEntry(code)});
    load();
    auto *list = item("messageList");
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 3; }));
    QTest::qWait(100);

    // A screen reader hears the table's shape, then its cells row by row, then the code panel
    // and its button, in the order they are on the screen.
    const QStringList shown = shownToScreenReaders(*m_view);
    const QStringList expected{QStringLiteral("Итоги:"), QStringLiteral("таблица, 3 столбца, 5 строк"),
                               QStringLiteral("Город"), QStringLiteral("Жители"), QStringLiteral("Доля"),
                               QStringLiteral("Москва"), QStringLiteral("13"), QStringLiteral("Тула"),
                               QStringLiteral("Скопировать таблицу"), QStringLiteral("Так:"),
                               QStringLiteral("Код на Python: print(1)"), QStringLiteral("Копировать код")};
    qsizetype at = 0;
    for (const QString &name : expected) {
        const qsizetype found = shown.indexOf(name, at);
        QVERIFY2(found >= 0, qPrintable(name + QStringLiteral(" after ") + shown.mid(0, at).join(" | ")
                                        + QStringLiteral(" in ") + shown.join(" | ")));
        at = found + 1;
    }

    // The table is a grid: the header bold, columns aligned as the rule row says.
    auto *tableItem = findItem(list, QStringLiteral("answerTable"));
    QVERIFY(tableItem);

    // The copy buttons are pressed by a screen reader as by the mouse.
    auto press = [&](const QString &name) {
        QQuickItem *button = findItem(list, name);
        QVERIFY(button);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
        QVERIFY(accessible && accessible->actionInterface());
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    };
    QGuiApplication::clipboard()->clear();
    press(QStringLiteral("copyTable"));
    QVERIFY(waitUntil([] { return QGuiApplication::clipboard()->text().startsWith(QStringLiteral("Город\tЖители\tДоля\nМосква\t13\t9 %")); }));
    press(QStringLiteral("copyCode"));
    QVERIFY(waitUntil([] { return QGuiApplication::clipboard()->text() == QStringLiteral("print(1)"); }));

    // From the keyboard: the code message's code, the table message's table; Ctrl+C the
    // Markdown source.
    item("composerField")->forceActiveFocus();
    QTest::keyClick(m_view.get(), Qt::Key_Backtab);
    QTest::keyClick(m_view.get(), Qt::Key_Backtab);
    QVERIFY(list->hasActiveFocus());
    QCOMPARE(list->property("currentIndex").toInt(), 2);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(waitUntil([] { return QGuiApplication::clipboard()->text() == QStringLiteral("print(1)"); }));
    QTest::keyClick(m_view.get(), Qt::Key_Up);
    QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(waitUntil([] { return QGuiApplication::clipboard()->text().endsWith(QStringLiteral("Тула\t0,5\t0,3 %")); }));
    QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier);
    QVERIFY(waitUntil([&] { return QGuiApplication::clipboard()->text() == table; }));
}

void ChatAnswersTest::readingOrderFollowsTheScreen()
{
    // Opened at its end, the list makes its newest bubble first; a screen reader still goes
    // from the oldest to the newest, as they are on the screen.
    QList<ChatEntry> entries;
    for (int i = 1; i <= 6; ++i)
        entries.append(i % 2 ? userEntry(QStringLiteral("Вопрос %1").arg(i))
                             : answerEntry(QStringLiteral("Ответ %1").arg(i)));
    m_client->setEntries(entries);
    load();
    auto *list = item("messageList");
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 6; }));
    QTest::qWait(100);
    const QStringList shown = shownToScreenReaders(*m_view);
    qsizetype previous = -1;
    for (int i = 1; i <= 6; ++i) {
        const QString text = (i % 2 ? QStringLiteral("Вопрос %1") : QStringLiteral("Ответ %1")).arg(i);
        const auto found = std::find_if(shown.cbegin(), shown.cend(),
                                        [&](const QString &name) { return name.contains(text); });
        QVERIFY2(found != shown.cend(), qPrintable(text));
        const qsizetype index = found - shown.cbegin();
        QVERIFY2(index > previous, qPrintable(shown.join(QLatin1String(" | "))));
        previous = index;
    }
}

void ChatAnswersTest::reusedBlocksShowTheirNewAnswer_data()
{
    QTest::addColumn<int>("step");
    // A page at a time brings in bubbles for new messages; a few lines at a time moves
    // one block item of a kind to the next answer of that kind while the rest stay.
    QTest::newRow("pages") << 700;
    QTest::newRow("a few lines") << 90;
}

// Bubbles and their code panels, tables and prose are reused as the list scrolls; whatever a
// bubble shows must be its own message's, never the one it showed before.
void ChatAnswersTest::reusedBlocksShowTheirNewAnswer()
{
    QFETCH(int, step);
    QList<ChatEntry> entries;
    for (int i = 0; i < 48; ++i) {
        entries.append(userEntry(QStringLiteral("Вопрос %1").arg(i)));
        switch (i % 4) {
        case 0:
            entries.append(answerEntry(QStringLiteral("Код %1:\n\n```python\nprint(%1)\n```").arg(i)));
            break;
        case 1:
            entries.append(answerEntry(QStringLiteral("Таблица %1:\n\n| A%1 | B |\n|---|---|\n| c%1 | длинная ячейка %1 |").arg(i)));
            break;
        case 2:
            entries.append(answerEntry(QStringLiteral("```sql\nSELECT %1 FROM t%1;\n```\n\n| Ключ | Значение |\n|---|---|\n"
                                                      "| k%1 | v%1 |\n| a%1 | b%1 |").arg(i)));
            break;
        default:
            entries.append(answerEntry(QStringLiteral("Просто ответ %1").arg(i)));
        }
    }
    m_client->setEntries(entries);
    load();
    auto *list = item("messageList");
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == entries.size(); }));

    // The texts a bubble's blocks show, without the panels' own labels.
    const QStringList labels{QStringLiteral("Копировать код"), QStringLiteral("Скопировать таблицу"),
                             QStringLiteral("Скопировано"), QStringLiteral("Python"), QStringLiteral("SQL")};
    std::function<void(QQuickItem *, QStringList &)> texts = [&](QQuickItem *node, QStringList &out) {
        if (!node->isVisible())
            return;
        const QString text = node->property("text").toString();
        if (node->objectName() == QStringLiteral("codeText"))
            out.append(node->property("lines").value<vexa::answer::CodeLines>().code); // the code's picture
        else if (node->objectName() == QStringLiteral("codeAsText"))
            out.append(QTextDocumentFragment::fromHtml(text).toPlainText()); // code too large for one
        else if ((node->inherits("QQuickText") || node->inherits("QQuickTextEdit")
                  || node->inherits("vexa::answer::TextPicture")) && !text.isEmpty()
                 && !labels.contains(text) && !text.contains(QLatin1Char('<')))
            out.append(text);
        for (QQuickItem *child : node->childItems())
            texts(child, out);
    };
    int checked = 0;
    const auto checkShown = [&] {
        for (QQuickItem *bubble : list->property("contentItem").value<QQuickItem *>()->childItems()) {
            if (!bubble->isVisible() || !bubble->property("cardItem").isValid())
                continue;
            const auto *model = bubble->property("model").value<QObject *>();
            QVERIFY(model);
            const QString markdown = model->property("text").toString();
            QStringList shown;
            texts(bubble, shown);
            QVERIFY2(!shown.isEmpty(), qPrintable(markdown));
            for (const QString &text : std::as_const(shown))
                QVERIFY2(markdown.contains(text), qPrintable(text + QStringLiteral(" shown for ") + markdown));
            // As many code panels and tables as the message has.
            int panels = 0;
            int tables = 0;
            std::function<void(QQuickItem *)> count = [&](QQuickItem *node) {
                if (!node->isVisible())
                    return;
                panels += node->objectName() == QStringLiteral("codePanel");
                tables += node->objectName() == QStringLiteral("answerTable");
                for (QQuickItem *child : node->childItems())
                    count(child);
            };
            count(bubble);
            QCOMPARE(panels, int(markdown.count(QStringLiteral("```")) / 2));
            QCOMPARE(tables, int(markdown.count(QStringLiteral("|---|---|"))));
            ++checked;
        }
    };
    // From the end to the top and back down.
    for (int direction : {-1, 1}) {
        for (int i = 0; i < 400; ++i) {
            const qreal top = list->property("originY").toReal();
            const qreal end = top + list->property("contentHeight").toReal() - list->height();
            const qreal y = list->property("contentY").toReal();
            if ((direction < 0 && y <= top) || (direction > 0 && y >= end))
                break;
            list->setProperty("contentY", std::clamp(y + direction * step, top, std::max(top, end)));
            QVERIFY(waitUntil([&] { return !list->property("moving").toBool(); }));
            QCoreApplication::processEvents();
            checkShown();
            if (QTest::currentTestFailed())
                return;
        }
    }
    QVERIFY(checked > entries.size());
}

// The code is one picture; with the mouse on it a selectable copy is laid over it, and what
// is selected copies as the code was written (spaces, not the no-break spaces that keep the
// indents in the styled text; markup characters as text).
void ChatAnswersTest::codeSelectsAsWritten()
{
    const QString code = QStringLiteral("def f():\n    return  \"<b>&amp;</b>\"");
    m_client->setEntries({userEntry(QStringLiteral("Код?")),
                          answerEntry(QStringLiteral("```python\n") + code + QStringLiteral("\n```"))});
    load();
    auto *list = item("messageList");
    QVERIFY(waitUntil([&] { return findItem(list, QStringLiteral("codeText")) != nullptr; }));
    QQuickItem *text = findItem(list, QStringLiteral("codeText"));
    QVERIFY(waitUntil([&] {
        return text->property("drawn").toBool()
            && !text->property("lines").value<vexa::answer::CodeLines>().runs.value(0).isEmpty();
    }));
    QVERIFY(!findItem(list, QStringLiteral("codeSelection")));

    const QPointF onCode = text->mapToScene(QPointF(5, text->height() / 2));
    QTest::mouseMove(m_view.get(), onCode.toPoint());
    QVERIFY(waitUntil([&] { return findItem(list, QStringLiteral("codeSelection")) != nullptr; }));
    QQuickItem *selection = findItem(list, QStringLiteral("codeSelection"));
    QVERIFY(!text->isVisible());
    QCOMPARE(selection->width(), text->width());
    QCOMPARE(selection->height(), text->height());
    QMetaObject::invokeMethod(selection, "selectAll");
    QGuiApplication::clipboard()->clear();
    QMetaObject::invokeMethod(selection, "copy");
    QVERIFY(waitUntil([&] { return QGuiApplication::clipboard()->text() == code; }));

    // Selected, it stays while the mouse goes; deselected, the light text is back.
    QTest::mouseMove(m_view.get(), QPoint(2, 2));
    QTest::qWait(50);
    QVERIFY(findItem(list, QStringLiteral("codeSelection")));
    QMetaObject::invokeMethod(selection, "deselect");
    QVERIFY(waitUntil([&] { return findItem(list, QStringLiteral("codeSelection")) == nullptr && text->isVisible(); }));
}

QTEST_MAIN(ChatAnswersTest)
#include "tst_chatanswers.moc"
