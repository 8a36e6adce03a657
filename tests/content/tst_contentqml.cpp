// The workspace and tools screens as people meet them, offscreen and from the keyboard: Tab
// reaches the fields, Ctrl+Enter remembers a fact (white space sends nothing), the trash button
// asks first (Esc keeps the fact, "Удалить" deletes it), Enter searches the collection, and in
// the tools Enter asks the web while Shift+Enter breaks the line.

#include "awaittask.h"
#include "contentfixture.h"
#include "mailcatcher.h"
#include "quickscreen.h"
#include "savedanswersviewmodel.h"
#include "toolsviewmodel.h"
#include "workspaceviewmodel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QUrlQuery>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VexaAI_ContentPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ChatPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ClientPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa;
using namespace vexa::test;

namespace {

QQuickItem *findItem(QQuickItem *root, const std::function<bool(QQuickItem *)> &match)
{
    if (!root)
        return nullptr;
    if (match(root))
        return root;
    const auto children = root->childItems();
    for (QQuickItem *child : children) {
        if (QQuickItem *found = findItem(child, match))
            return found;
    }
    return nullptr;
}

} // namespace

class ContentQmlTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ContentFixture> f;
    std::unique_ptr<QQuickView> view;

    void load(const QString &file)
    {
        VexaClient::setShared(f->client.get());
        view = openScreen(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Content/") + file), {900, 1600});
        QVERIFY(view);
    }

    QQuickItem *named(const QString &name) const
    {
        return findItem(view->contentItem(), [&](QQuickItem *i) { return i->objectName() == name; });
    }
    // A visible control by its text (buttons) — what a user reads on it.
    QQuickItem *labelled(const QString &text) const
    {
        return findItem(view->contentItem(), [&](QQuickItem *i) {
            return i->isVisible() && i->property("text").toString() == text
                && i->inherits("QQuickAbstractButton");
        });
    }
    QQuickItem *textAreaOf(const QString &name) const
    {
        QQuickItem *field = named(name);
        return field ? field->property("textArea").value<QQuickItem *>() : nullptr;
    }
    QQuickItem *focused() const { return view->activeFocusItem(); }
    // A non-visual object (a menu, a dialog) by name, wherever in the item tree it is declared.
    QObject *objectNamed(const QString &name) const
    {
        QObject *found = nullptr;
        findItem(view->contentItem(), [&](QQuickItem *i) {
            found = i->findChild<QObject *>(name, Qt::FindDirectChildrenOnly);
            return found != nullptr;
        });
        return found;
    }
    // Every visible button with this text, in the order they are laid out.
    QList<QQuickItem *> allLabelled(const QString &text) const
    {
        QList<QQuickItem *> found;
        findItem(view->contentItem(), [&](QQuickItem *i) {
            if (i->isVisible() && i->inherits("QQuickAbstractButton") && i->property("text").toString() == text)
                found.append(i);
            return false;
        });
        std::sort(found.begin(), found.end(), [&](QQuickItem *a, QQuickItem *b) {
            return a->mapToScene(QPointF()).y() < b->mapToScene(QPointF()).y();
        });
        return found;
    }
    static bool contains(QQuickItem *outer, QQuickItem *inner)
    {
        for (QQuickItem *i = inner; i; i = i->parentItem()) {
            if (i == outer)
                return true;
        }
        return false;
    }
    // Deletes the row whose trash button has the keyboard, from the keyboard: the dialog opens
    // on "Отмена", Tab reaches "Удалить".
    void deleteFocusedRow()
    {
        QTest::keyClick(view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([&] { return labelled(QStringLiteral("Отмена")) == focused(); }));
        QTest::keyClick(view.get(), Qt::Key_Tab);
        QCOMPARE(focused()->objectName(), QStringLiteral("confirmationAccept"));
        QTest::keyClick(view.get(), Qt::Key_Return);
    }

    // One character at a time, as an input method would deliver Cyrillic.
    void typeText(const QString &text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, view.get(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    // Presses Tab until `target` has the keyboard; false after `limit` presses.
    bool tabTo(QQuickItem *target, int limit = 40)
    {
        for (int i = 0; i < limit; ++i) {
            if (focused() == target)
                return true;
            QTest::keyClick(view.get(), Qt::Key_Tab);
        }
        return focused() == target;
    }

private Q_SLOTS:
    void initTestCase() { QQuickStyle::setStyle(QStringLiteral("Material")); }
    void init()
    {
        f = std::make_unique<ContentFixture>();
        QVERIFY(f->start());
    }
    void cleanup()
    {
        view.reset();
        VexaClient::setShared(nullptr);
        f.reset();
    }

    void memoryFromTheKeyboard()
    {
        load(QStringLiteral("WorkspaceView.qml"));
        auto *workspace = view->rootObject()->property("viewModel").value<WorkspaceViewModel *>();
        auto *answers = view->rootObject()->property("savedAnswers").value<SavedAnswersViewModel *>();
        QVERIFY(workspace && answers);
        QVERIFY(waitUntil([&] { return answers->loaded(); }));
        const qsizetype before = rowsOf(workspace->memories()).size();

        QQuickItem *search = named(QStringLiteral("answersSearchField"));
        search->forceActiveFocus(Qt::TabFocusReason);
        QQuickItem *memory = textAreaOf(QStringLiteral("memoryField"));
        QVERIFY(tabTo(memory));

        // Only line breaks and spaces: Ctrl+Enter sends nothing.
        QTest::keyClick(view.get(), Qt::Key_Return);
        QTest::keyClick(view.get(), Qt::Key_Space);
        QTest::keyClick(view.get(), Qt::Key_Return, Qt::ControlModifier);
        QTest::qWait(vexa::test::scaledMs(100));
        QVERIFY(f->sent("POST", QStringLiteral("/api/memory")).isEmpty());
        QCOMPARE(workspace->memoryText(), QStringLiteral("\n "));

        QTest::keyClick(view.get(), Qt::Key_A, Qt::ControlModifier);
        typeText(QStringLiteral("Сын ходит на плавание"));
        QTest::keyClick(view.get(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(waitUntil([&] { return rowsOf(workspace->memories()).size() == before + 1; }));
        const auto posted = f->sent("POST", QStringLiteral("/api/memory"));
        QCOMPARE(posted.size(), 1);
        QCOMPARE(ContentFixture::body(posted.first()).value(QStringLiteral("content")).toString(),
                 QStringLiteral("Сын ходит на плавание"));
        QVERIFY(waitUntil([&] { return memory->property("text").toString().isEmpty(); }));
    }

    // A saved answer's "Поделиться" is the app's share menu: copy, save to a file, mail — each
    // from the keyboard.
    void savedAnswerShareFromTheKeyboard()
    {
        MailCatcher mail;
        load(QStringLiteral("WorkspaceView.qml"));
        auto *answers = view->rootObject()->property("savedAnswers").value<SavedAnswersViewModel *>();
        QVERIFY(waitUntil([&] { return answers && answers->loaded() && !answers->busy(); }));
        QVERIFY(answers->answers()->count() > 0);
        const QString content = answers->answers()->value(0, "content").toString();
        QQuickItem *disclosure = labelled(answers->answers()->value(0, "title").toString());
        QVERIFY(disclosure);
        disclosure->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(view.get(), Qt::Key_Return);

        auto share = [&](int downs) {
            QQuickItem *button = named(QStringLiteral("shareAnswerButton"));
            QVERIFY(button && button->isVisible());
            button->forceActiveFocus(Qt::TabFocusReason);
            QTest::keyClick(view.get(), Qt::Key_Return);
            QObject *menu = nullptr;
            QVERIFY(waitUntil([&] {
                menu = objectNamed(QStringLiteral("shareMenu"));
                return menu && menu->property("opened").toBool();
            }));
            QCOMPARE(menuEntries(menu), (QStringList{QStringLiteral("Скопировать текст"), QStringLiteral("Сохранить в файл…"),
                                           QStringLiteral("Отправить по почте")}));
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(view.get(), Qt::Key_Down);
            QTest::keyClick(view.get(), Qt::Key_Return);
            QVERIFY(waitUntil([&] { return !menu->property("visible").toBool(); }));
        };
        share(1);
        QCOMPARE(QGuiApplication::clipboard()->text(), content);
        share(3);
        QVERIFY(waitUntil([&] { return !mail.urls.isEmpty(); }));
        QCOMPARE(mail.urls, QList<QUrl>{chat::mailUrl(content)});
        // A QQuickView takes its screen only once complete: the dialog is told its window.
        QObject *dialog = objectNamed(QStringLiteral("answerSaveDialog"));
        QVERIFY(dialog);
        QVERIFY(dialog->setProperty("parentWindow", QVariant::fromValue<QWindow *>(view.get())));
        share(2);
        QVERIFY(waitUntil([&] { return dialog->property("visible").toBool(); }));
        QMetaObject::invokeMethod(dialog, "close");
    }

    void deleteAsksFirst()
    {
        load(QStringLiteral("WorkspaceView.qml"));
        auto *workspace = view->rootObject()->property("viewModel").value<WorkspaceViewModel *>();
        const qsizetype before = rowsOf(workspace->memories()).size();
        QQuickItem *trash = labelled(QStringLiteral("Удалить воспоминание"));
        QVERIFY(trash);
        trash->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(view.get(), Qt::Key_Space);
        QVERIFY(workspace->hasDeletingMemory());
        QVERIFY(waitUntil([&] { return labelled(QStringLiteral("Отмена")) == focused(); }));
        QTest::keyClick(view.get(), Qt::Key_Escape);
        QVERIFY(waitUntil([&] { return !workspace->hasDeletingMemory(); }));
        QTest::qWait(vexa::test::scaledMs(100));
        QCOMPARE(f->sent("DELETE", QStringLiteral("/api/memory/1")).size(), 0);

        trash->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([&] { return labelled(QStringLiteral("Отмена")) == focused(); }));
        QTest::keyClick(view.get(), Qt::Key_Tab);
        QCOMPARE(focused()->objectName(), QStringLiteral("confirmationAccept"));
        QTest::keyClick(view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([&] { return rowsOf(workspace->memories()).size() == before - 1; }));
        QCOMPARE(f->sent("DELETE", QStringLiteral("/api/memory/1")).size(), 1);
    }

    void collectionSearchFromTheKeyboard()
    {
        load(QStringLiteral("WorkspaceView.qml"));
        auto *answers = view->rootObject()->property("savedAnswers").value<SavedAnswersViewModel *>();
        QVERIFY(waitUntil([&] { return answers->loaded() && !answers->busy(); }));
        f->service->clearRequests();
        named(QStringLiteral("answersSearchField"))->forceActiveFocus(Qt::TabFocusReason);
        typeText(QStringLiteral("Казан"));
        QTest::keyClick(view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([&] { return !f->sent("GET", QStringLiteral("/api/workspace/answers")).isEmpty(); }));
        const auto request = f->sent("GET", QStringLiteral("/api/workspace/answers")).first();
        QCOMPARE(QUrlQuery(request.query).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded),
                 QStringLiteral("Казан"));
        QVERIFY(waitUntil([&] { return !answers->busy(); }));
        QCOMPARE(rowsOf(answers->answers()).size(), 1); // the weekend plan in Kazan
        // F5 loads the shown page again.
        f->service->clearRequests();
        QTest::keyClick(view.get(), Qt::Key_F5);
        QVERIFY(waitUntil([&] { return f->sent("GET", QStringLiteral("/api/workspace/answers")).size() == 1; }));
    }

    void webSearchFromTheKeyboard()
    {
        load(QStringLiteral("ToolsView.qml"));
        auto *tools = view->rootObject()->property("viewModel").value<ToolsViewModel *>();
        QVERIFY(tools);
        QVERIFY(waitUntil([&] { return tools->characterList().size() == 4; }));
        QQuickItem *field = textAreaOf(QStringLiteral("searchField"));
        field->forceActiveFocus(Qt::TabFocusReason);
        typeText(QStringLiteral("Погода"));
        QTest::keyClick(view.get(), Qt::Key_Return, Qt::ShiftModifier);
        typeText(QStringLiteral("Казань"));
        QCOMPARE(tools->query(), QStringLiteral("Погода\nКазань"));
        QTest::keyClick(view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([&] { return !tools->searchResult().isEmpty(); }));
        const auto sent = f->sent("POST", QStringLiteral("/api/search"));
        QCOMPARE(sent.size(), 1);
        QCOMPARE(ContentFixture::body(sent.first()).value(QStringLiteral("query")).toString(),
                 QStringLiteral("Погода\nКазань"));
        QQuickItem *result = named(QStringLiteral("searchResult"));
        QVERIFY(result->isVisible());
        QCOMPARE(result->property("text").toString(), tools->searchResult());
    }

    void characterFromTheKeyboard()
    {
        load(QStringLiteral("ToolsView.qml"));
        auto *tools = view->rootObject()->property("viewModel").value<ToolsViewModel *>();
        QVERIFY(waitUntil([&] { return tools->characterList().size() == 4; }));
        QQuickItem *enable = named(QStringLiteral("characterButton_luna"));
        QVERIFY(enable && enable->isVisible());
        QCOMPARE(enable->property("text").toString(), QStringLiteral("Включить"));
        QVERIFY(!named(QStringLiteral("characterLink_luna"))->isVisible());
        QVERIFY(named(QStringLiteral("characterLink_shelest"))->isVisible());
        enable->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(view.get(), Qt::Key_Space);
        QVERIFY(waitUntil([&] {
            QQuickItem *button = named(QStringLiteral("characterButton_luna"));
            return button && button->property("text").toString() == QStringLiteral("Активен")
                && !button->isEnabled();
        }));
    }

    // The activated character's button turns into the disabled "Активен" and the list is
    // fetched again: the keyboard stays on that character's row, and Tab goes on to the next.
    void activatedCharacterKeepsTheKeyboard()
    {
        load(QStringLiteral("ToolsView.qml"));
        auto *tools = view->rootObject()->property("viewModel").value<ToolsViewModel *>();
        QVERIFY(waitUntil([&] { return tools->characterList().size() == 4; }));
        named(QStringLiteral("characterButton_luna"))->forceActiveFocus(Qt::TabFocusReason);
        f->service->clearRequests();
        QTest::keyClick(view.get(), Qt::Key_Space);
        QVERIFY(waitUntil([&] {
            return f->sent("GET", QStringLiteral("/api/characters")).size() == 1 && !tools->activating();
        }));
        QQuickItem *button = named(QStringLiteral("characterButton_luna"));
        QCOMPARE(button->property("text").toString(), QStringLiteral("Активен"));
        QQuickItem *other = named(QStringLiteral("characterButton_arkady"));
        QVERIFY2(focused() && contains(focused(), button) && !contains(focused(), other),
                 qPrintable(QStringLiteral("the keyboard is on %1").arg(focused() ? focused()->metaObject()->className() : "nothing")));
        QTest::keyClick(view.get(), Qt::Key_Tab);
        QCOMPARE(focused(), named(QStringLiteral("characterLink_shelest")));
    }

    // Deleting a fact or a project from the keyboard leaves the keyboard on the next row's
    // trash button (on the new last one when the last row went).
    void deletedRowPassesTheKeyboardOn_data()
    {
        QTest::addColumn<QString>("trash");
        QTest::addColumn<int>("row");
        QTest::newRow("first fact") << QStringLiteral("Удалить воспоминание") << 0;
        QTest::newRow("last fact") << QStringLiteral("Удалить воспоминание") << 2;
        QTest::newRow("first project") << QStringLiteral("Удалить проект") << 0;
    }
    void deletedRowPassesTheKeyboardOn()
    {
        QFETCH(QString, trash);
        QFETCH(int, row);
        load(QStringLiteral("WorkspaceView.qml"));
        const QList<QQuickItem *> before = allLabelled(trash);
        QVERIFY(before.size() > row);
        before.at(row)->forceActiveFocus(Qt::TabFocusReason);
        deleteFocusedRow();
        QVERIFY(waitUntil([&] { return allLabelled(trash).size() == before.size() - 1; }));
        const QList<QQuickItem *> after = allLabelled(trash);
        QVERIFY(waitUntil([&] { return focused() == after.at(std::min<qsizetype>(row, after.size() - 1)); }));
        // The next row's own button, not a new one in its place.
        QCOMPARE(focused(), before.at(row + 1 < before.size() ? row + 1 : row - 1));
    }

    // A new state (a fact added, a project put first) keeps the keyboard on the same button.
    void reloadKeepsTheKeyboard()
    {
        load(QStringLiteral("WorkspaceView.qml"));
        auto *workspace = view->rootObject()->property("viewModel").value<WorkspaceViewModel *>();
        const QList<QQuickItem *> facts = allLabelled(QStringLiteral("Удалить воспоминание"));
        const QList<QQuickItem *> projects = allLabelled(QStringLiteral("Удалить проект"));
        QVERIFY(facts.size() >= 2 && projects.size() >= 2);
        const QPointer<QQuickItem> fact = facts.at(1);
        fact->forceActiveFocus(Qt::TabFocusReason);
        workspace->setMemoryText(QStringLiteral("Люблю горы"));
        workspace->remember();
        QVERIFY(waitUntil([&] { return allLabelled(QStringLiteral("Удалить воспоминание")).size() == facts.size() + 1; }));
        QVERIFY(fact);
        QCOMPARE(focused(), fact.data());

        const QPointer<QQuickItem> project = projects.at(0);
        project->forceActiveFocus(Qt::TabFocusReason);
        workspace->setProjectName(QStringLiteral("Ремонт"));
        workspace->saveProject();
        QVERIFY(waitUntil([&] { return allLabelled(QStringLiteral("Удалить проект")).size() == projects.size() + 1; }));
        QVERIFY(project);
        QCOMPARE(focused(), project.data());
        QCOMPARE(allLabelled(QStringLiteral("Удалить проект")).at(1), project.data()); // the new one went first
    }

    // "☆ В избранное" from the keyboard: the recipe list comes back from the service, the
    // keyboard stays on that button, which now reads "Убрать из избранного".
    void favouriteKeepsTheKeyboard()
    {
        load(QStringLiteral("WorkspaceView.qml"));
        auto *answers = view->rootObject()->property("savedAnswers").value<SavedAnswersViewModel *>();
        QVERIFY(waitUntil([&] { return answers->loaded() && !answers->allRecipes().isEmpty(); }));
        const auto headers = [&] {
            QList<QQuickItem *> found;
            findItem(view->contentItem(), [&](QQuickItem *i) {
                if (i->inherits("QQuickItemDelegate") && i->property("text").toString().startsWith(QStringLiteral("📚")))
                    found.append(i);
                return false;
            });
            return found;
        };
        QCOMPARE(headers().size(), 1);
        headers().first()->parentItem()->setProperty("expanded", true);
        // Open every recipe, so their buttons show.
        findItem(view->contentItem(), [&](QQuickItem *i) {
            if (i->inherits("QQuickItemDelegate") && i->isVisible() && i->parentItem()
                && i->parentItem()->property("expanded").isValid())
                i->parentItem()->setProperty("expanded", true);
            return false;
        });
        QVERIFY(waitUntil([&] { return !allLabelled(QStringLiteral("☆ В избранное")).isEmpty(); }));
        const QPointer<QQuickItem> star = allLabelled(QStringLiteral("☆ В избранное")).first();
        star->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(view.get(), Qt::Key_Space);
        QVERIFY(waitUntil([&] { return !answers->pinning() && star
                                       && star->property("text").toString() == QStringLiteral("Убрать из избранного"); }));
        QVERIFY(waitUntil([&] { return focused() == star.data(); }));
    }
};

QTEST_MAIN(ContentQmlTest)
#include "tst_contentqml.moc"
