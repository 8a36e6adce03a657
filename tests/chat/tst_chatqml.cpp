// The chat screen as people meet it, offscreen: it loads without a warning, shows the welcome
// panel or the bubbles, the keyboard sends and breaks lines as expected (and leaves an input
// method's composition alone), and a message's menu offers what its speaker allows.

#include "awaittask.h"
#include "chatscreen.h"

#include "screenreader.h"

#include <QAccessible>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QScopeGuard>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VexaAI_ChatPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ClientPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa;
using namespace vexa::test;

namespace {

const QString kAnswer = QStringLiteral(
    "Вот **функция**:\n\n```python\ndef total(xs):\n    return sum(xs)\n```\n\nГотово.");

QString pngDataUrl()
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture(120, 80).save(&buffer, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

} // namespace

class ChatQmlTest : public ChatScreenTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void welcomeThenBubbles();
    void keyboard_data();
    void keyboard();
    void zoomFromTheKeyboard_data();
    void zoomFromTheKeyboard();
    void tabMovesOn();
    void inputMethodCompositionIsNotSent();
    void messageMenu_data();
    void messageMenu();
    void selectingAndCopyingCode();
    void messagesFromTheKeyboard_data();
    void messagesFromTheKeyboard();
    void anotherChatOpensAtItsEnd_data();
    void anotherChatOpensAtItsEnd();
    void jumpToLatest_data();
    void jumpToLatest();
    void pictureFromTheKeyboard();
    void shareEntriesFromTheKeyboard();
    void shareFromTheKeyboard();
    void hiddenMenuItemsUnreachable_data();
    void hiddenMenuItemsUnreachable();
    void popupsMadeOnFirstUse_data();
    void popupsMadeOnFirstUse();
    void searchMadeOnFirstUse();
    void goneMessagesLeaveTheAccessibilityTree_data();
    void goneMessagesLeaveTheAccessibilityTree();
    void namesWaitForAScreenReader();
};

void ChatQmlTest::initTestCase()
{
    setUpApplication();
    // The screen is checked as a screen reader hears it: one is listening.
    vexa::ScreenReader::assumeListening(true);
}

void ChatQmlTest::init()
{
    // Messages are answered a moment later, so a test sees the send in flight.
    QVERIFY(startService());
    service::ScriptedReply answer;
    answer.body = R"({"ok":true,"answer":"Ок"})";
    answer.delay = std::chrono::milliseconds(200);
    m_service->script("POST", QStringLiteral("/api/chat"), answer);
    // The screen must not warn about anything (unknown symbols included).
    if (qEnvironmentVariableIsEmpty("CHAT_QML_LENIENT")) QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void ChatQmlTest::cleanup()
{
    stop();
}

void ChatQmlTest::welcomeThenBubbles()
{
    load();
    QVERIFY(item("welcomePanel")->isVisible());
    QVERIFY(!item("messageList")->isVisible());
    QCOMPARE(viewModel()->client(), m_client.get());

    m_client->setEntries({userEntry(QStringLiteral("Напиши сумму")),
                          entry(ChatEntry::Role::Assistant, kAnswer,
                                pngDataUrl())});
    QVERIFY(waitUntil([&] { return item("messageList")->isVisible(); }));
    QVERIFY(!item("welcomePanel") || !item("welcomePanel")->isVisible());
    auto *list = item("messageList");
    QCOMPARE(list->property("count").toInt(), 2);

    // The search counter appears with the raw query.
    viewModel()->setSearchVisible(true);
    viewModel()->setSearchText(QStringLiteral("  "));
    QVERIFY(waitUntil([&] { return item("searchCounter") && item("searchCounter")->isVisible(); }));
    QCOMPARE(item("searchCounter")->property("text").toString(),
             QStringLiteral("Найдено сообщений: 2"));

    // Icon-only buttons carry their names for screen readers.
    QCOMPARE(item("sendButton")->property("label").toString(), QStringLiteral("Отправить"));
    QCOMPARE(item("dictationButton")->property("label").toString(),
             QStringLiteral("Продиктовать текст"));
    QCOMPARE(item("attachButton")->property("label").toString(),
             QStringLiteral("Прикрепить фото или файл"));
}

void ChatQmlTest::keyboard_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("draft");     // after the key
    QTest::addColumn<QString>("sent");      // the optimistic entry's text, "" for none

    QTest::newRow("Enter sends") << "Привет" << Qt::KeyboardModifiers() << "" << "Привет";
    QTest::newRow("Shift+Enter breaks the line")
        << "Привет" << Qt::KeyboardModifiers(Qt::ShiftModifier) << "Привет\n" << "";
    QTest::newRow("Enter on blanks sends nothing")
        << "   " << Qt::KeyboardModifiers() << "   " << "";
    QTest::newRow("Ctrl+Enter sends too")
        << "Привет" << Qt::KeyboardModifiers(Qt::ControlModifier) << "" << "Привет";
}

// Tab leaves the message field for the next control (it never types a tab into the message),
// and Shift+Tab comes back; the draft is as typed.
void ChatQmlTest::tabMovesOn()
{
    load();
    QQuickItem *field = item("composerField");
    field->forceActiveFocus();
    for (const QChar c : QStringLiteral("abc"))
        QTest::keyClick(m_view.get(), c.toLatin1());
    QTest::keyClick(m_view.get(), Qt::Key_Tab);
    QVERIFY(!field->hasActiveFocus());
    QCOMPARE(viewModel()->composer()->draft(), QStringLiteral("abc"));
    QVERIFY(!viewModel()->composer()->draftFocused());
    QTest::keyClick(m_view.get(), Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(field->hasActiveFocus());
    QVERIFY(viewModel()->composer()->draftFocused());
}

void ChatQmlTest::keyboard()
{
    QFETCH(QString, typed);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, draft);
    QFETCH(QString, sent);

    load();
    QQuickItem *field = item("composerField");
    QVERIFY(field);
    field->forceActiveFocus();
    QVERIFY(field->hasActiveFocus());
    // Cyrillic arrives one character at a time, as text without a key code.
    for (const QChar c : typed)
        QTest::sendKeyEvent(QTest::Click, m_view.get(), Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
    QCOMPARE(viewModel()->composer()->draft(), typed);

    QTest::keyClick(m_view.get(), Qt::Key_Return, modifiers);
    QCOMPARE(viewModel()->composer()->draft(), draft);
    // The keyboard stays in the composer for the next message.
    QVERIFY(field->hasActiveFocus());
    if (sent.isEmpty()) {
        QVERIFY(m_client->entries().isEmpty());
    } else {
        QCOMPARE(m_client->entries().size(), 1);
        QCOMPARE(m_client->entries().first().text, sent);
        QVERIFY(waitUntil([&] { return !m_client->sending(); }));
        QVERIFY(field->hasActiveFocus());
    }
}

void ChatQmlTest::zoomFromTheKeyboard_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<QList<QKeyCombination>>("keys");
    QTest::addColumn<double>("size");

    const auto ctrl = [](Qt::Key key) { return QKeyCombination(Qt::ControlModifier, key); };
    QTest::newRow("Ctrl+= grows") << 17.0 << QList{ctrl(Qt::Key_Equal)} << 18.0;
    QTest::newRow("Ctrl++ grows") << 17.0 << QList{ctrl(Qt::Key_Plus)} << 18.0;
    QTest::newRow("Ctrl+- shrinks") << 17.0 << QList{ctrl(Qt::Key_Minus)} << 16.0;
    QTest::newRow("Ctrl+0 resets") << 22.0 << QList{ctrl(Qt::Key_0)} << 17.0;
    QTest::newRow("stops at the largest") << 23.0 << QList{ctrl(Qt::Key_Equal), ctrl(Qt::Key_Equal)} << 24.0;
    QTest::newRow("stops at the smallest") << 15.0 << QList{ctrl(Qt::Key_Minus), ctrl(Qt::Key_Minus)} << 14.0;
    // The slider leaves halves; a key goes to the next whole size, not past it.
    QTest::newRow("from a half up") << 17.5 << QList{ctrl(Qt::Key_Equal)} << 18.0;
    QTest::newRow("from a half down") << 17.5 << QList{ctrl(Qt::Key_Minus)} << 17.0;
    QTest::newRow("without Ctrl, typed") << 17.0 << QList{QKeyCombination(Qt::Key_Equal)} << 17.0;
}

void ChatQmlTest::zoomFromTheKeyboard()
{
    QFETCH(double, start);
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(double, size);

    ChatPreferences(QString()).setTextSize(start);
    load();
    QCOMPARE(viewModel()->textSize(), start);
    QQuickItem *field = item("composerField");
    field->forceActiveFocus();
    for (const QKeyCombination key : keys)
        QTest::keyClick(m_view.get(), key.key(), key.keyboardModifiers());
    QCOMPARE(viewModel()->textSize(), size);
    // Kept where the profile's slider reads it.
    QCOMPARE(ChatPreferences(QString()).textSize(), size);
    ChatPreferences(QString()).setTextSize(ChatPreferences::kDefaultTextSize);
}

void ChatQmlTest::inputMethodCompositionIsNotSent()
{
    load();
    QQuickItem *field = item("composerField");
    field->forceActiveFocus();
    viewModel()->composer()->setDraft(QStringLiteral("Кон"));

    // An input method is composing "ничиwa"; its Enter commits the composition, not the message.
    QInputMethodEvent composing(QStringLiteral("ничи"), {});
    QCoreApplication::sendEvent(field, &composing);
    QCOMPARE(field->property("preeditText").toString(), QStringLiteral("ничи"));
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QVERIFY(m_client->entries().isEmpty());

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("ничи"));
    QCoreApplication::sendEvent(field, &commit);
    QCOMPARE(viewModel()->composer()->draft(), QStringLiteral("Конничи"));
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QCOMPARE(m_client->entries().size(), 1);
    QCOMPARE(m_client->entries().first().text, QStringLiteral("Конничи"));
    QVERIFY(waitUntil([&] { return !m_client->sending(); }));
}

void ChatQmlTest::messageMenu_data()
{
    QTest::addColumn<bool>("isUser");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("user") << true << QStringList{"Копировать", "Поделиться"};
    QTest::newRow("assistant") << false
                               << QStringList{"Копировать", "Поделиться", "Сохранить во Vexa",
                                              "Озвучить", "Уточнить ответ"};
}

void ChatQmlTest::messageMenu()
{
    QFETCH(bool, isUser);
    QFETCH(QStringList, items);

    m_client->setEntries({isUser ? userEntry(QStringLiteral("Мой вопрос"))
                                 : answerEntry(QStringLiteral("Мой ответ"))});
    load();
    auto *list = item("messageList");
    QVERIFY(list);
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 1; }));
    QTest::qWait(vexa::test::scaledMs(50));
    // Right click in the middle of the bubble row, on the bubble's side.
    const QPointF inList = isUser ? QPointF(list->width() - 60, 30) : QPointF(60, 30);
    const QPoint point = list->mapToScene(inList).toPoint();
    QTest::mouseClick(m_view.get(), Qt::RightButton, Qt::NoModifier, point);

    QObject *menu = findObject(*m_view, QStringLiteral("messageMenu"));
    QVERIFY(menu);
    QVERIFY(waitUntil([&] { return menu->property("opened").toBool(); }));
    QStringList shown;
    const int count = menu->property("count").toInt();
    for (int i = 0; i < count; ++i) {
        QQuickItem *entry = nullptr;
        QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, entry), Q_ARG(int, i));
        if (entry && entry->isVisible())
            shown.append(entry->property("text").toString());
    }
    QCOMPARE(shown, items);
}

void ChatQmlTest::selectingAndCopyingCode()
{
    m_client->setEntries({answerEntry(QStringLiteral("Вот пример:\n\n```python\nprint(1)\n```"))});
    load();
    auto *list = item("messageList");
    QVERIFY(list);
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 1; }));
    QQuickItem *bubble = nullptr;
    QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, bubble), Q_ARG(int, 0));
    QVERIFY(bubble);
    auto *text = bubble->property("textItem").value<QQuickItem *>();
    QVERIFY(text);

    // The mouse over the text lays the selectable copy over it.
    auto *selection = qobject_cast<QQuickItem *>(list->findChild<QObject *>(QStringLiteral("messageSelection")));
    QVERIFY(selection);
    QVERIFY(!selection->isVisible());
    QTest::mouseMove(m_view.get(), text->mapToScene(QPointF(10, 10)).toPoint());
    QVERIFY(waitUntil([&] { return selection->isVisible(); }));
    QCOMPARE(selection->parentItem(), text);

    // Dragging across the first line selects it (the list does not take the drag for a flick).
    const QPoint from = text->mapToScene(QPointF(1, 8)).toPoint();
    const QPoint to = text->mapToScene(QPointF(text->property("contentWidth").toReal() - 1, 8)).toPoint();
    QTest::mouseMove(m_view.get(), from);
    QTest::mousePress(m_view.get(), Qt::LeftButton, Qt::NoModifier, from);
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(m_view.get(), from + (to - from) * step / 10);
    QTest::mouseRelease(m_view.get(), Qt::LeftButton, Qt::NoModifier, to);
    QVERIFY2(selection->property("selectedText").toString().startsWith(QStringLiteral("Вот")),
             qPrintable(selection->property("selectedText").toString()));

    // The code panel's copy button puts exactly the code on the clipboard, and says so.
    auto *copy = findItem(bubble, QStringLiteral("copyCode"));
    QVERIFY(copy);
    QGuiApplication::clipboard()->clear();
    QTest::mouseMove(m_view.get(), copy->mapToScene(QPointF(copy->width() / 2, copy->height() / 2)).toPoint());
    QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier,
                      copy->mapToScene(QPointF(copy->width() / 2, copy->height() / 2)).toPoint());
    QVERIFY(waitUntil([] { return QGuiApplication::clipboard()->text() == QStringLiteral("print(1)"); }));
    QVERIFY(copy->property("flashing").toBool());
}

void ChatQmlTest::messagesFromTheKeyboard_data()
{
    // Keys pressed after the list took the focus (on the last message, index 3).
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("current");
    // On the clipboard after Ctrl+C and then Ctrl+Shift+C, which leaves a message without
    // code where Ctrl+C put it.
    QTest::addColumn<QString>("copied");

    QTest::newRow("focus lands on the last") << QList<int>{} << 3 << "Второй ответ";
    QTest::newRow("up twice") << QList<int>{Qt::Key_Up, Qt::Key_Up} << 1 << "print(1)";
    QTest::newRow("up stops at the first")
        << QList<int>{Qt::Key_Home, Qt::Key_Up} << 0 << "Первый вопрос";
    QTest::newRow("down stops at the last") << QList<int>{Qt::Key_Down} << 3 << "Второй ответ";
    QTest::newRow("end after home") << QList<int>{Qt::Key_Home, Qt::Key_End} << 3 << "Второй ответ";
}

void ChatQmlTest::messagesFromTheKeyboard()
{
    QFETCH(QList<int>, keys);
    QFETCH(int, current);
    QFETCH(QString, copied);

    const QString withCode = QStringLiteral("Так:\n\n```python\nprint(1)\n```");
    m_client->setEntries({userEntry(QStringLiteral("Первый вопрос")), answerEntry(withCode),
                          userEntry(QStringLiteral("Второй вопрос")),
                          answerEntry(QStringLiteral("Второй ответ"))});
    load();
    auto *list = item("messageList");
    QVERIFY(list);
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 4; }));
    QTest::qWait(vexa::test::scaledMs(50));
    QCOMPARE(list->property("currentIndex").toInt(), -1);

    // Going back from the composer's field, past its attach button, reaches the list.
    item("composerField")->forceActiveFocus();
    QTest::keyClick(m_view.get(), Qt::Key_Backtab);
    QTest::keyClick(m_view.get(), Qt::Key_Backtab);
    QVERIFY2(list->hasActiveFocus(), qPrintable(m_view->activeFocusItem()->objectName()));
    for (const int key : keys)
        QTest::keyClick(m_view.get(), Qt::Key(key));
    QCOMPARE(list->property("currentIndex").toInt(), current);

    // The ring marks that message's card, which is on screen.
    auto *bubble = list->property("currentItem").value<QQuickItem *>();
    QVERIFY(bubble);
    auto *ring = qobject_cast<QQuickItem *>(list->findChild<QObject *>(QStringLiteral("focusRing")));
    QVERIFY(ring);
    QVERIFY(ring->isVisible());
    QCOMPARE(ring->parentItem(), bubble->property("cardItem").value<QQuickItem *>());
    const QRectF shown = list->mapRectFromItem(ring, ring->boundingRect());
    QVERIFY2(shown.bottom() > 0 && shown.top() < list->height(), qPrintable(QDebug::toString(shown)));

    // A screen reader hears the message once, with its speaker.
    const ChatEntry &shownEntry = m_client->entries().at(current);
    const QString speaker = shownEntry.role == ChatEntry::Role::User ? QStringLiteral("Вы: ")
                                                                     : QStringLiteral("Vexa: ");
    const QString spoken = bubble->property("spoken").toString();
    QVERIFY2(spoken.startsWith(speaker) && !spoken.mid(speaker.size()).startsWith(speaker),
             qPrintable(spoken));

    // Ctrl+C copies the message; Ctrl+Shift+C its code, when it has some.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier);
    const QString text = shownEntry.text;
    QVERIFY(waitUntil([&] { return QGuiApplication::clipboard()->text() == text; }));
    QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::qWait(vexa::test::scaledMs(20));
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);

    // The menu key opens that message's menu (made then); closing it gives the focus back to
    // the list.
    QTest::keyClick(m_view.get(), Qt::Key_Menu);
    QObject *menu = findObject(*m_view, QStringLiteral("messageMenu"));
    QVERIFY(menu);
    QVERIFY(waitUntil([&] { return menu->property("opened").toBool(); }));
    QCOMPARE(menu->property("entryID").toString(),
             m_client->entries().at(current).id.toString(QUuid::WithoutBraces));
    QTest::keyClick(m_view.get(), Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return !menu->property("visible").toBool(); }));
    QVERIFY(list->hasActiveFocus());
}

void ChatQmlTest::anotherChatOpensAtItsEnd_data()
{
    QTest::addColumn<int>("messages");
    // Less than two screens away the list would glide there; further, it jumps.
    QTest::newRow("a screen and a half") << 14;
    QTest::newRow("many screens") << 60;
}

void ChatQmlTest::anotherChatOpensAtItsEnd()
{
    QFETCH(int, messages);
    const auto chat = [](const QString &name, int count) {
        QList<ChatEntry> entries;
        for (int i = 0; i < count; ++i)
            entries.append(i % 2 ? answerEntry(QStringLiteral("%1: ответ %2").arg(name).arg(i))
                                 : userEntry(QStringLiteral("%1: вопрос %2").arg(name).arg(i)));
        return entries;
    };
    m_client->setEntries(chat(QStringLiteral("Первый"), 40));
    load();
    auto *list = item("messageList");
    QVERIFY(list);
    QVERIFY(waitUntil([&] { return list->property("atYEnd").toBool(); }));

    // Every frame drawn with the other chat in shows its end: no frame of its first messages,
    // no glide down to the last.
    int framesWithIt = 0;
    int framesAway = 0;
    connect(m_view.get(), &QQuickWindow::frameSwapped, this, [&] {
        if (list->property("count").toInt() != messages)
            return;
        ++framesWithIt;
        if (!list->property("atYEnd").toBool())
            ++framesAway;
    });
    m_client->setActiveChatID(QStringLiteral("second")); // named first, as the client does
    m_client->setEntries(chat(QStringLiteral("Второй"), messages));
    QVERIFY(waitUntil([&] { return framesWithIt > 0; }));
    QTest::qWait(vexa::test::scaledMs(400)); // a glide would have run its course
    QCOMPARE(framesAway, 0);
    QVERIFY(list->property("atYEnd").toBool());
    QVERIFY(list->property("pinnedToEnd").toBool());
}

void ChatQmlTest::jumpToLatest_data()
{
    QTest::addColumn<bool>("near");
    QTest::newRow("from the beginning") << false;
    QTest::newRow("from half a screen up") << true;
}

void ChatQmlTest::jumpToLatest()
{
    QList<ChatEntry> entries;
    for (int i = 0; i < 40; ++i)
        entries.append(i % 2 ? answerEntry(QStringLiteral("Ответ %1").arg(i))
                             : userEntry(QStringLiteral("Вопрос %1").arg(i)));
    m_client->setEntries(entries);
    load();
    auto *list = item("messageList");
    auto *jump = item("jumpToEndButton");
    QVERIFY(list && jump);
    QVERIFY(waitUntil([&] { return list->property("atYEnd").toBool(); }));
    QTest::qWait(vexa::test::scaledMs(50));
    QVERIFY(!jump->isVisible());

    // Reading earlier messages offers the way back; taking it hides the button again. From
    // far away the list jumps; from near it glides, and is back at the end once there.
    QFETCH(bool, near);
    if (near)
        list->setProperty("contentY", list->property("contentY").toReal() - list->height() / 2);
    else
        QMetaObject::invokeMethod(list, "positionViewAtBeginning");
    QVERIFY(waitUntil([&] { return jump->isVisible(); }));
    QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier,
                      jump->mapToScene(jump->boundingRect().center()).toPoint());
    QVERIFY(waitUntil([&] { return list->property("atYEnd").toBool() && !jump->isVisible(); }));
}

// The message's share menu is the app's one: its three entries, each reached with the arrows
// and taken with Return, do what they say (the save asks for a file first).
void ChatQmlTest::shareEntriesFromTheKeyboard()
{
    auto platform = std::make_shared<FakeChatPlatform>();
    FakeVoice voice;
    ChatViewModel host(platform, voice.factory(), m_dir.filePath(QStringLiteral("prefs.ini")));
    host.setClient(m_client.get());
    const auto closeFirst = qScopeGuard([this] { m_view.reset(); });
    m_client->setEntries({answerEntry(QStringLiteral("Ответ\nв две строки"))});
    load();
    m_view->rootObject()->setProperty("viewModel", QVariant::fromValue(&host));
    auto *list = item("messageList");
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 1; }));

    // Menu key on the message, "Поделиться" (the second entry), then `downs` in the share menu.
    auto share = [&](int downs) {
        list->forceActiveFocus();
        QTest::keyClick(m_view.get(), Qt::Key_Menu);
        QObject *menu = findObject(*m_view, QStringLiteral("messageMenu"));
        QVERIFY(menu);
        QVERIFY(waitUntil([&] { return menu->property("opened").toBool(); }));
        QTest::keyClick(m_view.get(), Qt::Key_Down);
        QTest::keyClick(m_view.get(), Qt::Key_Down);
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QObject *shareMenu = findObject(*m_view, QStringLiteral("shareMenu"));
        QVERIFY(shareMenu);
        QVERIFY(waitUntil([&] { return shareMenu->property("opened").toBool(); }));
        QCOMPARE(menuEntries(shareMenu), (QStringList{QStringLiteral("Скопировать текст"), QStringLiteral("Сохранить в файл…"),
                                       QStringLiteral("Отправить по почте")}));
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(m_view.get(), Qt::Key_Down);
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([&] { return !shareMenu->property("visible").toBool(); }));
    };
    share(1);
    QCOMPARE(platform->copied, QStringList{QStringLiteral("Ответ\nв две строки")});
    share(3);
    QCOMPARE(platform->opened, QList<QUrl>{chat::mailUrl(QStringLiteral("Ответ\nв две строки"))});
    share(2);
    QVERIFY(waitUntil([&] {
        QObject *dialog = findObject(*m_view, QStringLiteral("saveDialog"));
        return dialog && dialog->property("visible").toBool();
    }));
}

void ChatQmlTest::pictureFromTheKeyboard()
{
    // A host's view-model with a fake desktop, so opening a picture is seen, not performed.
    auto platform = std::make_shared<FakeChatPlatform>();
    FakeVoice voice;
    ChatViewModel host(platform, voice.factory(), m_dir.filePath(QStringLiteral("prefs.ini")));
    host.setClient(m_client.get());
    const auto closeFirst = qScopeGuard([this] { m_view.reset(); }); // before the host goes
    const QString picture = pngDataUrl();
    m_client->setEntries({userEntry(QStringLiteral("Нарисуй")),
                          entry(ChatEntry::Role::Assistant, QStringLiteral("Вот"), picture)});
    load();
    m_view->rootObject()->setProperty("viewModel", QVariant::fromValue(&host));
    auto *list = item("messageList");
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 2; }));
    list->forceActiveFocus();
    QCOMPARE(list->property("currentIndex").toInt(), 1);

    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QCOMPARE(platform->openedImages, QList<QUrl>{QUrl(picture)});
    // A message without a picture has nothing to open.
    QTest::keyClick(m_view.get(), Qt::Key_Up);
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QCOMPARE(platform->openedImages.size(), 1);
}

void ChatQmlTest::shareFromTheKeyboard()
{
    m_client->setEntries({answerEntry(QStringLiteral("Ответ"))});
    load();
    auto *list = item("messageList");
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 1; }));
    list->forceActiveFocus();

    // "Поделиться" from the message's menu opens the share menu, which keeps the keyboard.
    // Both menus are made the first time they are asked for.
    QTest::keyClick(m_view.get(), Qt::Key_Menu);
    QObject *menu = findObject(*m_view, QStringLiteral("messageMenu"));
    QVERIFY(menu);
    QVERIFY(waitUntil([&] { return menu->property("opened").toBool(); }));
    QTest::keyClick(m_view.get(), Qt::Key_Down);
    QTest::keyClick(m_view.get(), Qt::Key_Down);
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QVERIFY(waitUntil([&] { return !menu->property("visible").toBool(); }));
    QObject *share = findObject(*m_view, QStringLiteral("shareMenu"));
    QVERIFY(share);
    QVERIFY(waitUntil([&] { return share->property("opened").toBool(); }));
    QTest::qWait(vexa::test::scaledMs(300));
    QVERIFY(share->property("opened").toBool());
    QVERIFY(!list->hasActiveFocus());
    // Closing it gives the keyboard back to the messages.
    QTest::keyClick(m_view.get(), Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return !share->property("visible").toBool(); }));
    QVERIFY(list->hasActiveFocus());
}

// The header's and the composer's menus and the chat list are made only when first asked for:
// the first click must still open them, with their entries, at once.
void ChatQmlTest::popupsMadeOnFirstUse_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("popup");
    QTest::addColumn<QStringList>("entries"); // the menu's items, in order

    QTest::newRow("attach") << "attachButton" << "attachMenu" << QStringList{"Фото", "Файл"};
    QTest::newRow("models") << "modelMenu" << "modelsMenu" << QStringList{"Быстрая", "Умная"};
    QTest::newRow("chats") << "chatsButton" << "chatListSheet" << QStringList{};
}

void ChatQmlTest::popupsMadeOnFirstUse()
{
    QFETCH(QString, button);
    QFETCH(QString, popup);
    QFETCH(QStringList, entries);

    VexaState state;
    state.user = VexaUser{7, std::nullopt, QStringLiteral("Аня")};
    state.models = QList<VexaModel>{{QStringLiteral("fast"), QStringLiteral("Быстрая"), std::nullopt, true},
                                    {QStringLiteral("old"), QStringLiteral("Старая"), std::nullopt, false},
                                    {QStringLiteral("smart"), QStringLiteral("Умная"), std::nullopt, true}};
    m_client->setState(state);
    load();
    QVERIFY(!findObject(*m_view, popup));
    QQuickItem *opener = item(button);
    QVERIFY(opener && opener->isVisible() && opener->isEnabled());
    QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier,
                      opener->mapToScene(opener->boundingRect().center()).toPoint());
    QObject *made = nullptr;
    QVERIFY(waitUntil([&] {
        made = findObject(*m_view, popup);
        return made && made->property("opened").toBool();
    }));
    QStringList shown;
    for (int i = 0; i < made->property("count").toInt(); ++i) {
        QQuickItem *entry = nullptr;
        QMetaObject::invokeMethod(made, "itemAt", Q_RETURN_ARG(QQuickItem *, entry), Q_ARG(int, i));
        if (entry && entry->isVisible())
            shown.append(entry->property("text").toString());
    }
    QCOMPARE(shown, entries);
}

// The in-chat search is made when Ctrl+F first opens it, with the keyboard in its field; Esc
// closes it (and empties the query); Ctrl+F brings the same field back with the keyboard in it.
void ChatQmlTest::searchMadeOnFirstUse()
{
    m_client->setEntries({userEntry(QStringLiteral("Напиши сумму")), answerEntry(QStringLiteral("Сумма"))});
    load();
    QVERIFY(!item("chatSearchField"));
    QQuickItem *first = nullptr;
    for (int round = 0; round < 2; ++round) {
        QTest::keyClick(m_view.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(viewModel()->searchVisible());
        QQuickItem *field = nullptr;
        QVERIFY(waitUntil([&] {
            field = item("chatSearchField");
            return field && field->hasActiveFocus();
        }));
        if (round == 0)
            first = field;
        QCOMPARE(field, first);
        QCOMPARE(field->property("text").toString(), QString());
        for (const QChar c : QStringLiteral("сум"))
            QTest::sendKeyEvent(QTest::Click, m_view.get(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(viewModel()->searchText(), QStringLiteral("сум"));
        QTest::keyClick(m_view.get(), Qt::Key_Escape);
        QVERIFY(!viewModel()->searchVisible());
    }
}

void ChatQmlTest::hiddenMenuItemsUnreachable_data()
{
    QTest::addColumn<QString>("menu");     // "actions": the header's; "message": a message's
    QTest::addColumn<bool>("userMessage"); // message menu: of the user's own message
    QTest::addColumn<int>("downs");
    QTest::addColumn<QString>("effect");   // what Enter did: "search" or "share"

    // In an empty chat "Поделиться диалогом" and "Скопировать диалог" are hidden.
    QTest::newRow("empty chat, three down") << "actions" << false << 3 << "search";
    QTest::newRow("empty chat, five down") << "actions" << false << 5 << "search";
    // A question's menu hides the answer-only items.
    QTest::newRow("question's menu, five down") << "message" << true << 5 << "share";
    QTest::newRow("answer's menu, two down") << "message" << false << 2 << "share";
}

void ChatQmlTest::hiddenMenuItemsUnreachable()
{
    QFETCH(QString, menu);
    QFETCH(bool, userMessage);
    QFETCH(int, downs);
    QFETCH(QString, effect);

    if (menu == QLatin1String("message"))
        m_client->setEntries({userMessage ? userEntry(QStringLiteral("Вопрос"))
                                          : answerEntry(QStringLiteral("Ответ"))});
    load();
    QObject *opened = nullptr;
    if (menu == QLatin1String("actions")) {
        QQuickItem *button = item("chatActionsButton");
        QVERIFY(button);
        QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier,
                          button->mapToScene(button->boundingRect().center()).toPoint());
        opened = findObject(*m_view, QStringLiteral("chatActionsMenu"));
    } else {
        auto *list = item("messageList");
        QVERIFY(waitUntil([&] { return list->property("count").toInt() == 1; }));
        list->forceActiveFocus();
        QTest::keyClick(m_view.get(), Qt::Key_Menu);
        opened = findObject(*m_view, QStringLiteral("messageMenu"));
    }
    QVERIFY(opened);
    QVERIFY(waitUntil([&] { return opened->property("opened").toBool(); }));
    for (int i = 0; i < downs; ++i)
        QTest::keyClick(m_view.get(), Qt::Key_Down);
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QVERIFY(waitUntil([&] { return !opened->property("visible").toBool(); }));

    // The share menu is made when first asked for: absent means it was never opened.
    auto share = [this] { return findObject(*m_view, QStringLiteral("shareMenu")); };
    if (effect == QLatin1String("share")) {
        QVERIFY(waitUntil([&] { return share() && share()->property("opened").toBool(); }));
        QVERIFY(!share()->property("sharedText").toString().isEmpty());
    } else {
        QVERIFY(viewModel()->searchVisible());
        QTest::qWait(vexa::test::scaledMs(100));
        QVERIFY(!share() || !share()->property("visible").toBool());
    }
    // Nothing an answer-only item does happened.
    QVERIFY(!m_client->hasNotice());
    QCOMPARE(m_service->requests(QStringLiteral("/api/workspace/answers")).size(), 0);
}

void ChatQmlTest::goneMessagesLeaveTheAccessibilityTree_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("removed (a failed send)") << "removed";
    QTest::newRow("filtered out by the search") << "search";
    QTest::newRow("another chat") << "switch";
}

void ChatQmlTest::goneMessagesLeaveTheAccessibilityTree()
{
    QFETCH(QString, change);

    const QString kept = QStringLiteral("Остаётся на экране");
    const QString gone = QStringLiteral("Уходит с экрана");
    m_client->setEntries({answerEntry(kept), userEntry(gone)});
    load();
    auto *list = item("messageList");
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 2; }));
    QTest::qWait(vexa::test::scaledMs(50));
    QVERIFY(anyContains(shownToScreenReaders(*m_view), gone));

    if (change == QLatin1String("removed")) {
        m_client->setEntries({answerEntry(kept)});
    } else if (change == QLatin1String("search")) {
        viewModel()->setSearchVisible(true);
        viewModel()->setSearchText(QStringLiteral("остаётся"));
    } else {
        m_client->setEntries({answerEntry(kept), userEntry(QStringLiteral("Другой чат"))});
    }
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == (change == "switch" ? 2 : 1); }));
    QTest::qWait(vexa::test::scaledMs(100));
    const QStringList shown = shownToScreenReaders(*m_view);
    QVERIFY2(!anyContains(shown, gone), qPrintable(shown.join(QLatin1String(" | "))));
    QVERIFY2(anyContains(shown, kept), qPrintable(shown.join(QLatin1String(" | "))));
}

// The messages' spoken names (with their speakers) are made only while a screen reader listens;
// one that starts listening hears every bubble on screen, in the screen's order.
void ChatQmlTest::namesWaitForAScreenReader()
{
    m_client->setEntries({userEntry(QStringLiteral("Первый вопрос")), answerEntry(QStringLiteral("Первый ответ"))});
    vexa::ScreenReader::assumeListening(false);
    const auto listening = qScopeGuard([] { vexa::ScreenReader::assumeListening(true); });
    load();
    auto *list = item("messageList");
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 2; }));
    const auto spokenNames = [&] {
        QStringList names;
        for (QQuickItem *child : list->property("contentItem").value<QQuickItem *>()->childItems()) {
            if (child->isVisible() && child->property("cardItem").isValid())
                names << child->property("spoken").toString();
        }
        return names;
    };
    QCOMPARE(spokenNames(), (QStringList{QString(), QString()}));
    vexa::ScreenReader::assumeListening(true);
    QVERIFY(waitUntil([&] {
        const QStringList names = spokenNames();
        return names.contains(QStringLiteral("Вы: Первый вопрос")) && names.contains(QStringLiteral("Vexa: Первый ответ"));
    }));
    QVERIFY(waitUntil([&] {
        const QStringList shown = shownToScreenReaders(*m_view);
        const qsizetype question = shown.indexOf(QStringLiteral("Вы: Первый вопрос"));
        return question >= 0 && question < shown.indexOf(QStringLiteral("Vexa: Первый ответ"));
    }));
}

QTEST_MAIN(ChatQmlTest)
#include "tst_chatqml.moc"
