// The application as a user meets it: the real VexaAIApp (client, window, QML) against the
// local service on loopback, driven with keys and clicks.

#include "awaittask.h"
#include "localservice.h"
#include "answernotifier.h"
#include "rootviewmodel.h"
#include "shortcuttable.h"
#include "routes.h"
#include "servicestate.h"
#include "vexaaiapp.h"
#include "windowmemory.h"

#include <QAccessible>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

using vexa::RootViewModel;
using vexa::test::waitUntil;

class ShellAppTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void failedRestoreShowsSignInWithoutAlert();
    void refusedCodeShowsServiceTextAndFreshField();
    void rightCodeShowsSectionsAndNavigationWorks();
    void compactWidthUsesDock();
    void rejectedSessionReturnsToSignIn();
    void platformErrorsAreRussian();
    void aboutFromTheKeyboardAndTheSectionsSheet();
    void sidebarWidthFollowsTheDragAndIsKept();
    void closingWhileTheSessionIsAskedFor();
    void returningUserSeesTheLatestMessageFirst();
    void aLongChatStaysAtItsEndThroughResizes_data();
    void aLongChatStaysAtItsEndThroughResizes();
    void aVisitedSectionKeepsItsState_data();
    void aVisitedSectionKeepsItsState();
    void signingOutReleasesTheSections();
    void shortcutsSheetFromTheKeyboardAndAbout();
    void chosenAnswerNoticeOpensItsScreen();

private:
    QObject *find(const QString &name) const;
    QQuickItem *item(const QString &name) const;
    bool isShown(const QString &name) const;
    void click(QQuickItem *target);
    void type(const QString &text);
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    RootViewModel *root() const;
    bool alertOpen() const;
    // Popups: open once their opening transition ended; closed once they are gone entirely
    // (a closing popup still takes the clicks).
    bool popupOpen(const QString &name) const;
    bool popupClosed(const QString &name) const;
    void signIn();
    void addLongChat();
    // Clicks the sidebar's button of the section.
    void visit(vexa::VexaSection section);
    bool shownToScreenReaders(QObject *target) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<vexa::service::LocalService> m_service;
    std::unique_ptr<vexa::VexaAIApp> m_app;
};

void ShellAppTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    vexa::VexaAIApp::prepareApplication();
}

void ShellAppTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_service = std::make_unique<vexa::service::LocalService>();
    QVERIFY(m_service->listen());
    m_app = std::make_unique<vexa::VexaAIApp>(m_service->baseUrl().toString(),
                                              m_dir->filePath(QStringLiteral("cookies")));
    QVERIFY(m_app->start());
    m_app->window()->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(m_app->window(), vexa::test::scaledMs(5000)));
    m_app->window()->requestActivate();
}

void ShellAppTest::cleanup()
{
    m_app.reset();
    m_service.reset();
    m_dir.reset();
}

QObject *ShellAppTest::find(const QString &name) const
{
    QQuickWindow *window = m_app->window();
    if (QObject *found = window->findChild<QObject *>(name))
        return found;
    return window->contentItem()->findChild<QObject *>(name);
}

QQuickItem *ShellAppTest::item(const QString &name) const
{
    return qobject_cast<QQuickItem *>(find(name));
}

bool ShellAppTest::isShown(const QString &name) const
{
    QQuickItem *found = item(name);
    return found && found->isVisible();
}

RootViewModel *ShellAppTest::root() const
{
    QQuickWindow *window = m_app->window();
    if (auto *model = window->findChild<RootViewModel *>())
        return model;
    return window->contentItem()->findChild<RootViewModel *>();
}

bool ShellAppTest::popupOpen(const QString &name) const
{
    QObject *popup = find(name);
    return popup && popup->property("opened").toBool();
}

bool ShellAppTest::popupClosed(const QString &name) const
{
    QObject *popup = find(name);
    return popup && !popup->property("visible").toBool();
}

bool ShellAppTest::alertOpen() const
{
    return popupOpen(QStringLiteral("noticeAlert"));
}

void ShellAppTest::click(QQuickItem *target)
{
    QVERIFY(target);
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    QTest::mouseClick(m_app->window(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

void ShellAppTest::type(const QString &text)
{
    // One character at a time, as a keyboard delivers Cyrillic.
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, m_app->window(), Qt::Key_unknown, QString(ch),
                            Qt::NoModifier);
}

void ShellAppTest::key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(m_app->window(), key, modifiers);
}

void ShellAppTest::signIn()
{
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("loginView")); }));
    m_service->setFixedCode(QStringLiteral("135790"));
    // The field has the keyboard as soon as the screen shows.
    QVERIFY(waitUntil([&] { return item(QStringLiteral("codeField"))->hasActiveFocus(); }));
    type(QStringLiteral("135790"));
    key(Qt::Key_Return); // Enter in the field signs in like the button
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("sectionsLayout")); }));
}

void ShellAppTest::failedRestoreShowsSignInWithoutAlert()
{
    // No cookie: the restore at launch gets 401 and ends quietly on the sign-in screen.
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("loginView")); }));
    QCOMPARE(m_service->requests(QStringLiteral("/api/state")).size(), 1);
    QVERIFY(!m_app->client().loading());
    QVERIFY(!m_app->client().hasNotice());
    QTest::qWait(vexa::test::scaledMs(100));
    QVERIFY(!alertOpen());
    // The window's icon comes once it is on screen, at the sizes window managers ask for.
    const QList<QSize> iconSizes = QGuiApplication::windowIcon().availableSizes();
    for (const int side : {32, 64, 256})
        QVERIFY2(iconSizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
}

void ShellAppTest::refusedCodeShowsServiceTextAndFreshField()
{
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("loginView")); }));
    RootViewModel *model = root();
    QVERIFY(model);
    QList<RootViewModel::Screen> screens;
    connect(model, &RootViewModel::screenChanged, this, [&] { screens.append(model->screen()); });

    QQuickItem *button = item(QStringLiteral("signInButton"));
    QVERIFY(!button->isEnabled()); // empty field
    QVERIFY(waitUntil([&] { return item(QStringLiteral("codeField"))->hasActiveFocus(); }));
    type(QStringLiteral("000000"));
    QVERIFY(button->isEnabled());
    click(button);

    QVERIFY(waitUntil([&] { return alertOpen(); }));
    // The waiting screen replaced the sign-in screen while the code was checked.
    QCOMPARE(screens, (QList<RootViewModel::Screen>{RootViewModel::Screen::Waiting,
                                                    RootViewModel::Screen::SignIn}));
    QCOMPARE(item(QStringLiteral("noticeText"))->property("text").toString(),
             vexa::service::texts::codeRefused());
    QVERIFY(isShown(QStringLiteral("loginView")));
    QCOMPARE(item(QStringLiteral("codeField"))->property("text").toString(), QString());
    QVERIFY(!item(QStringLiteral("signInButton"))->isEnabled());

    // Esc dismisses the alert and clears the notice.
    key(Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return popupClosed(QStringLiteral("noticeAlert")); }));
    QVERIFY(!m_app->client().hasNotice());

    // Again, now dismissed with "Понятно". The keyboard is back in the fresh field.
    QVERIFY(waitUntil([&] { return item(QStringLiteral("codeField"))->hasActiveFocus(); }));
    type(QStringLiteral("111111"));
    click(item(QStringLiteral("signInButton")));
    QVERIFY(waitUntil([&] { return alertOpen(); }));
    click(item(QStringLiteral("noticeOkButton")));
    QVERIFY(waitUntil([&] { return popupClosed(QStringLiteral("noticeAlert")); }));
    QVERIFY(!m_app->client().hasNotice());
    QVERIFY(!m_app->client().isSignedIn());
}

void ShellAppTest::rightCodeShowsSectionsAndNavigationWorks()
{
    signIn();
    QVERIFY(m_app->client().isSignedIn());
    QVERIFY(isShown(QStringLiteral("sidebar")));
    QVERIFY(!isShown(QStringLiteral("dock")));
    QCOMPARE(item(QStringLiteral("planTitle"))->property("text").toString(),
             m_service->state().planTitle);
    QCOMPARE(item(QStringLiteral("accountButton"))->property("text").toString(),
             m_service->state().firstName);
    QCOMPARE(root()->selection(), vexa::VexaSection::Chat);
    QVERIFY(isShown(QStringLiteral("chatListSlot")));

    // Ctrl+K, "пр", Enter: the first match opens.
    key(Qt::Key_K, Qt::ControlModifier);
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("sectionsSheet")); }));
    type(QStringLiteral("пр"));
    QCOMPARE(root()->quickSearch(), QStringLiteral("пр"));
    QCOMPARE(root()->foundSections()->rowCount(), 2);
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return popupClosed(QStringLiteral("sectionsSheet")); }));
    QCOMPARE(root()->selection(), vexa::VexaSection::Workspace);
    QVERIFY(waitUntil([&] {
        return isShown(QStringLiteral("workspaceView"));
    }));
    QVERIFY(!isShown(QStringLiteral("chatListSlot")));

    // The footer reaches the tariffs.
    click(item(QStringLiteral("plansButton")));
    QCOMPARE(root()->selection(), vexa::VexaSection::Plans);
}

void ShellAppTest::compactWidthUsesDock()
{
    signIn();
    m_app->window()->resize(420, 860);
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("dock")); }));
    QVERIFY(!isShown(QStringLiteral("sidebar")));

    // "Ещё" opens the sheet with an empty search and all eight sections; Esc closes it.
    root()->setQuickSearch(QStringLiteral("старое"));
    click(item(QStringLiteral("moreButton")));
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("sectionsSheet")); }));
    QCOMPARE(root()->quickSearch(), QString());
    QCOMPARE(item(QStringLiteral("sectionList"))->property("count").toInt(), 8);
    key(Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return popupClosed(QStringLiteral("sectionsSheet")); }));
    QVERIFY(!root()->showingSections());
}

void ShellAppTest::rejectedSessionReturnsToSignIn()
{
    signIn();
    // The service forgets the session; the next request answers 401.
    m_service->endSessions();
    VEXA_AWAIT_VOID(m_app->client().refresh());
    QVERIFY(!m_app->client().isSignedIn());
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("loginView")); }));
    QVERIFY(!isShown(QStringLiteral("sectionsLayout")));
}

void ShellAppTest::platformErrorsAreRussian()
{
    // A port that was just free: the connection is refused, and Qt's own text for that reaches
    // the notice in Russian like every other text of the app.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    vexa::VexaClient client(QStringLiteral("http://127.0.0.1:%1").arg(port),
                            m_dir->filePath(QStringLiteral("other-cookies")));
    VEXA_AWAIT_VOID(client.signIn(QStringLiteral("123456")));
    QVERIFY(client.hasNotice());
    QVERIFY2(client.noticeText().contains(QRegularExpression(QStringLiteral("[а-яё]{4}"))),
             qPrintable(client.noticeText()));
    QVERIFY2(!client.noticeText().contains(QStringLiteral("refused")), qPrintable(client.noticeText()));
}

// The app goes while the session's answer is still on its way (a quick quit, the screenshot
// tool between scenes): the client ends the request as it goes, and nothing of the window,
// already gone, may react to that.
void ShellAppTest::closingWhileTheSessionIsAskedFor()
{
    vexa::service::ScriptedReply slow;
    slow.status = 401;
    slow.delay = std::chrono::milliseconds(5000);
    m_service->script("GET", QStringLiteral("/api/state"), slow);
    auto app = std::make_unique<vexa::VexaAIApp>(m_service->baseUrl().toString(),
                                                 m_dir->filePath(QStringLiteral("other-cookies")));
    QVERIFY(app->start());
    QVERIFY(waitUntil([&] { return m_service->requests(QStringLiteral("/api/state")).size() == 2; }));
    QVERIFY(app->client().loading());
    app.reset();
    QTest::qWait(vexa::test::scaledMs(50)); // anything the going left queued runs here
}

// A returning user's window opens on the open chat's last message: its first frame is drawn
// there, not at the chat's first message with a jump to the end a frame later.
// The service's first chat gets 120 messages and is the open one.
void ShellAppTest::addLongChat()
{
    auto &state = m_service->state();
    vexa::service::Chat &chat = state.chats.first();
    for (int m = 0; m < 120; ++m) {
        vexa::service::ChatMessage message;
        message.role = m % 2 ? QStringLiteral("assistant") : QStringLiteral("user");
        // Answers in several paragraphs with markup, whose height is known only once laid out.
        message.text = m % 2
            ? QStringLiteral("**Ответ %1**\n\n1. Первый пункт, длинный настолько, чтобы перенестись.\n"
                             "2. Второй пункт.\n\nИ `код` в конце.").arg(m)
            : QStringLiteral("Сообщение %1: текст, который занимает пару строк.").arg(m);
        chat.messages.append(message);
    }
    state.activeChatId = chat.id;
}

void ShellAppTest::returningUserSeesTheLatestMessageFirst()
{
    signIn();
    addLongChat();
    m_app.reset();

    auto app = std::make_unique<vexa::VexaAIApp>(m_service->baseUrl().toString(),
                                                 m_dir->filePath(QStringLiteral("cookies")));
    QVERIFY(app->start());
    QQuickWindow *window = app->window();
    std::optional<bool> atEndInFirstFrame;
    connect(window, &QQuickWindow::frameSwapped, window, [&] {
        if (atEndInFirstFrame)
            return;
        auto *list = window->findChild<QQuickItem *>(QStringLiteral("messageList"));
        if (!list)
            list = window->contentItem()->findChild<QQuickItem *>(QStringLiteral("messageList"));
        atEndInFirstFrame = list && list->isVisible() && list->property("atYEnd").toBool();
    });
    QVERIFY(waitUntil([&] { return atEndInFirstFrame.has_value(); }));
    QVERIFY(app->client().isSignedIn());
    QVERIFY(*atEndInFirstFrame);
}

void ShellAppTest::aLongChatStaysAtItsEndThroughResizes_data()
{
    QTest::addColumn<QSize>("signedInAt");
    QTest::addColumn<QSize>("resizedTo");
    // Rewrapping changes every bubble's height; the dock, made on the first compact frame,
    // takes the bottom of the list's height.
    QTest::newRow("signed in compact, with the dock") << QSize(420, 860) << QSize(1280, 800);
    QTest::newRow("to compact") << QSize(1280, 800) << QSize(420, 860);
    QTest::newRow("narrower") << QSize(1280, 800) << QSize(900, 800);
    QTest::newRow("shorter") << QSize(1280, 800) << QSize(1280, 420);
}

void ShellAppTest::aLongChatStaysAtItsEndThroughResizes()
{
    QFETCH(QSize, signedInAt);
    QFETCH(QSize, resizedTo);
    addLongChat();
    m_app->window()->resize(signedInAt);
    signIn();
    // Settled (a few frames), the last message is at the bottom and the list follows new ones;
    // after a resize, and on the way back, too.
    const auto atEnd = [this] {
        QTest::qWait(vexa::test::scaledMs(200));
        QQuickItem *list = item(QStringLiteral("messageList"));
        return list && list->isVisible() && list->property("count").toInt() > 120
            && list->property("atYEnd").toBool() && list->property("pinnedToEnd").toBool();
    };
    QVERIFY(waitUntil(atEnd));
    m_app->window()->resize(resizedTo);
    QVERIFY(waitUntil([&] { return m_app->window()->size() == resizedTo; }));
    QVERIFY(atEnd());
    m_app->window()->resize(signedInAt);
    QVERIFY(waitUntil([&] { return m_app->window()->size() == signedInAt; }));
    QVERIFY(atEnd());
}

void ShellAppTest::visit(vexa::VexaSection section)
{
    QQuickItem *sidebar = item(QStringLiteral("sidebar"));
    QVERIFY(sidebar);
    // The buttons come from a Repeater: items of the sidebar, not its QObject children.
    std::function<QQuickItem *(QQuickItem *)> buttonIn = [&](QQuickItem *under) -> QQuickItem * {
        for (QQuickItem *candidate : under->childItems()) {
            if (candidate->inherits("QQuickItemDelegate")
                && candidate->property("text").toString() == vexa::sectionTitle(section))
                return candidate;
            if (QQuickItem *found = buttonIn(candidate))
                return found;
        }
        return nullptr;
    };
    QQuickItem *button = buttonIn(sidebar);
    QVERIFY2(button, qPrintable(vexa::sectionTitle(section)));
    click(button);
    QCOMPARE(root()->selection(), section);
}

// Whether a node of the accessibility tree that is not marked invisible stands for `target`.
bool ShellAppTest::shownToScreenReaders(QObject *target) const
{
    std::function<bool(QAccessibleInterface *, int)> walk = [&](QAccessibleInterface *node, int depth) {
        if (!node || !node->isValid() || depth > 64 || node->state().invisible)
            return false;
        if (node->object() == target)
            return true;
        for (int i = 0; i < node->childCount(); ++i)
            if (walk(node->child(i), depth + 1))
                return true;
        return false;
    };
    return walk(QAccessible::queryAccessibleInterface(m_app->window()), 0);
}

enum class Kept { Draft, ScrollPosition };
Q_DECLARE_METATYPE(Kept)

void ShellAppTest::aVisitedSectionKeepsItsState_data()
{
    QTest::addColumn<Kept>("kept");
    QTest::newRow("the composer's draft") << Kept::Draft;
    QTest::newRow("the messages' scroll position") << Kept::ScrollPosition;
}

// A glance at another section and back: the chat is as it was left. The other sections'
// screens are made only as they are first shown, and the hidden one has neither the keyboard
// nor a place in the accessibility tree.
void ShellAppTest::aVisitedSectionKeepsItsState()
{
    QFETCH(Kept, kept);
    if (kept == Kept::ScrollPosition)
        addLongChat();
    signIn();
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("composerField")); }));
    for (const char *other : {"workspaceView", "profileView", "plansView", "toolsView", "imagesView"})
        QVERIFY2(!find(QString::fromLatin1(other)), other);

    // Guarded: a screen destroyed on the way must fail the test, not crash it.
    QPointer<QQuickItem> field = item(QStringLiteral("composerField"));
    QPointer<QQuickItem> list = item(QStringLiteral("messageList"));
    QVERIFY(field && list);
    qreal scrolledTo = 0;
    if (kept == Kept::Draft) {
        click(field);
        QVERIFY(waitUntil([&] { return field->hasActiveFocus(); }));
        type(QStringLiteral("Черновик письма"));
        QCOMPARE(field->property("text").toString(), QStringLiteral("Черновик письма"));
    } else {
        QVERIFY(waitUntil([&] {
            return list->property("count").toInt() > 120 && list->property("atYEnd").toBool();
        }));
        // Up to the middle of the chat, away from its end.
        scrolledTo = list->property("originY").toReal()
                     + list->property("contentHeight").toReal() / 2;
        list->setProperty("contentY", scrolledTo);
        QVERIFY(waitUntil([&] { return !list->property("pinnedToEnd").toBool(); }));
        scrolledTo = list->property("contentY").toReal();
    }

    visit(vexa::VexaSection::Workspace);
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("workspaceView")); }));
    if (field) { // kept: hidden, without the keyboard, out of the accessibility tree
        QVERIFY(!field->isVisible());
        QVERIFY(!field->hasActiveFocus());
        QVERIFY(!shownToScreenReaders(field));
    }
    type(QStringLiteral("ж")); // keys go to the shown section, not to the hidden chat
    visit(vexa::VexaSection::Images);
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("imagesView")); }));
    QVERIFY(!isShown(QStringLiteral("workspaceView")));

    QPointer<QQuickItem> workspace = item(QStringLiteral("workspaceView"));
    visit(vexa::VexaSection::Chat);
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("composerField")); }));
    QQuickItem *shownField = item(QStringLiteral("composerField"));
    QQuickItem *shownList = item(QStringLiteral("messageList"));
    QVERIFY(shownField && shownList);
    if (kept == Kept::Draft) {
        QCOMPARE(shownField->property("text").toString(), QStringLiteral("Черновик письма"));
    } else {
        QTest::qWait(vexa::test::scaledMs(100)); // a few frames: nothing pulls the list to its end
        QCOMPARE(shownList->property("contentY").toReal(), scrolledTo);
        QVERIFY(!shownList->property("atYEnd").toBool());
    }
    // The same screens, kept while hidden, not new ones.
    QCOMPARE(shownField, field.data());
    QVERIFY(workspace);
    QVERIFY(shownToScreenReaders(shownField));
}

// The sections live while signed in: signing out lets them go, and the next sign-in (another
// account, perhaps) starts with fresh screens, nothing of the last one's.
void ShellAppTest::signingOutReleasesTheSections()
{
    signIn();
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("composerField")); }));
    QPointer<QQuickItem> field = item(QStringLiteral("composerField"));
    click(field);
    type(QStringLiteral("Не для следующего"));
    visit(vexa::VexaSection::Workspace);
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("workspaceView")); }));
    QPointer<QQuickItem> workspace = item(QStringLiteral("workspaceView"));

    m_app->client().signOut();
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("loginView")); }));
    QVERIFY(waitUntil([&] { return !field && !workspace; }));

    signIn();
    // The section chosen last is the one shown again (within the run), made anew.
    QCOMPARE(root()->selection(), vexa::VexaSection::Workspace);
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("workspaceView")); }));
    QVERIFY(!find(QStringLiteral("chatView")));
    visit(vexa::VexaSection::Chat);
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("composerField")); }));
    QCOMPARE(item(QStringLiteral("composerField"))->property("text").toString(), QString());
}

QTEST_MAIN(ShellAppTest)

#include "tst_shellapp.moc"

void ShellAppTest::aboutFromTheKeyboardAndTheSectionsSheet()
{
    // F1 works before sign-in too: the version and the service are what support asks for first.
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("loginView")); }));
    key(Qt::Key_F1);
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("aboutDialog")); }));
    QCOMPARE(item(QStringLiteral("aboutVersion"))->property("value").toString(),
             QStringLiteral("Версия ") + QCoreApplication::applicationVersion());
    QVERIFY(!QCoreApplication::applicationVersion().isEmpty());
    QCOMPARE(item(QStringLiteral("aboutOrigin"))->property("value").toString(),
             m_service->baseUrl().toString());
    QVERIFY(item(QStringLiteral("aboutDataFolder"))->property("value").toString().endsWith(
        QStringLiteral("VexaAI")));
    key(Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return popupClosed(QStringLiteral("aboutDialog")); }));

    // Signed in: the sections sheet's foot opens it, and "Закрыть" closes it.
    signIn();
    key(Qt::Key_K, Qt::ControlModifier);
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("sectionsSheet")); }));
    click(item(QStringLiteral("aboutButton")));
    QVERIFY(waitUntil([&] { return popupClosed(QStringLiteral("sectionsSheet")); }));
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("aboutDialog")); }));
    click(item(QStringLiteral("aboutCloseButton")));
    QVERIFY(waitUntil([&] { return popupClosed(QStringLiteral("aboutDialog")); }));
}

void ShellAppTest::sidebarWidthFollowsTheDragAndIsKept()
{
    signIn();
    QQuickItem *sidebar = item(QStringLiteral("sidebar"));
    QQuickItem *resizer = item(QStringLiteral("sidebarResizer"));
    QVERIFY(sidebar && resizer);
    const qreal before = sidebar->width();
    const QPoint grab = resizer->mapToScene(QPointF(resizer->width() / 2, 300)).toPoint();
    QTest::mousePress(m_app->window(), Qt::LeftButton, Qt::NoModifier, grab);
    for (int step = 1; step <= 6; ++step)
        QTest::mouseMove(m_app->window(), grab + QPoint(step * 10, 0));
    QTest::mouseRelease(m_app->window(), Qt::LeftButton, Qt::NoModifier, grab + QPoint(60, 0));
    QVERIFY(waitUntil([&] { return sidebar->width() > before + 40; }));
    const qreal widened = sidebar->width();
    QCOMPARE(item(QStringLiteral("sectionPage"))->x(), widened);

    // The next window (the next launch) opens with the same width.
    m_app.reset();
    m_app = std::make_unique<vexa::VexaAIApp>(m_service->baseUrl().toString(),
                                              m_dir->filePath(QStringLiteral("cookies")));
    QVERIFY(m_app->start());
    m_app->window()->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(m_app->window(), vexa::test::scaledMs(5000)));
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("sidebar")); }));
    QCOMPARE(item(QStringLiteral("sidebar"))->width(), widened);
    vexa::WindowMemory(nullptr).setSidebarWidth(vexa::WindowMemory::kDefaultSidebarWidth);
}

void ShellAppTest::shortcutsSheetFromTheKeyboardAndAbout()
{
    signIn();
    key(Qt::Key_Slash, Qt::ControlModifier);
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("shortcutsSheet")); }));
    QQuickItem *list = item(QStringLiteral("shortcutList"));
    QVERIFY(list);
    // Every row of the table, under its screen's heading.
    const int all = list->property("count").toInt();
    QCOMPARE(all, int(vexa::shortcutTable().size()));
    QVERIFY(waitUntil([&] { return item(QStringLiteral("shortcutSearchField"))->hasActiveFocus(); }));
    type(QStringLiteral("сохранить"));
    QVERIFY(waitUntil([&] { return list->property("count").toInt() == 1; }));
    QVERIFY(!isShown(QStringLiteral("shortcutsNothingFound")));
    // Down goes to the rows; a row is read as what it does and its keys.
    key(Qt::Key_Down);
    QVERIFY(list->hasActiveFocus());
    auto *row = qvariant_cast<QQuickItem *>(list->property("currentItem"));
    QVERIFY(row);
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(row);
    QVERIFY(reader);
    QVERIFY2(reader->text(QAccessible::Name).startsWith(QStringLiteral("Сохранить файл: ")),
             qPrintable(reader->text(QAccessible::Name)));
    key(Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return popupClosed(QStringLiteral("shortcutsSheet")); }));

    // "Сочетания клавиш" in "О приложении" opens it too, searching from scratch.
    key(Qt::Key_F1);
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("aboutDialog")); }));
    click(item(QStringLiteral("aboutShortcutsButton")));
    QVERIFY(waitUntil([&] { return popupClosed(QStringLiteral("aboutDialog")); }));
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("shortcutsSheet")); }));
    QCOMPARE(list->property("count").toInt(), all);
    type(QStringLiteral("щщщ"));
    QVERIFY(waitUntil([&] { return isShown(QStringLiteral("shortcutsNothingFound")); }));
    key(Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return popupClosed(QStringLiteral("shortcutsSheet")); }));
}

void ShellAppTest::chosenAnswerNoticeOpensItsScreen()
{
    signIn();
    vexa::VexaClient &client = m_app->client();
    // Two chats: the answer is in the one not shown.
    QVERIFY(waitUntil([&] { return client.activeChatID().has_value() && !client.chatsLoading(); }));
    const QString answered = *client.activeChatID();
    QVERIFY(vexa::test::awaitVoid(client.createChat()));
    QVERIFY(client.activeChatID() != answered);
    visit(vexa::VexaSection::Workspace);

    vexa::AnswerEvent event;
    event.chatID = answered;
    Q_EMIT m_app->answerNotifier()->openRequested(event);
    QCOMPARE(root()->selection(), vexa::VexaSection::Chat);
    QVERIFY(waitUntil([&] { return client.activeChatID() == answered; }));

    event.kind = vexa::AnswerEvent::Kind::Image;
    Q_EMIT m_app->answerNotifier()->openRequested(event);
    QCOMPARE(root()->selection(), vexa::VexaSection::Images);
    event.kind = vexa::AnswerEvent::Kind::Code;
    Q_EMIT m_app->answerNotifier()->openRequested(event);
    QCOMPARE(root()->selection(), vexa::VexaSection::Code);
}
