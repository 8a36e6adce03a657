// The images page and the productivity sheet as people meet them, offscreen and from the
// keyboard: they load without a warning, a prompt typed and sent with Ctrl+Enter brings a
// picture, and the sheet is searched, switched between sections and closed with keys alone.

#include "awaittask.h"
#include "accountfixture.h"
#include "mailcatcher.h"
#include "quickscreen.h"
#include "imagesviewmodel.h"
#include "sharing.h"
#include "utilityviewmodel.h"

#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QStandardPaths>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <functional>

Q_IMPORT_QML_PLUGIN(VexaAI_AccountPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ClientPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa;
using namespace vexa::test;

namespace {

// Two sheets, as the chat and the profile each host one.
const char kSheetHost[] = R"(
import QtQuick
import VexaAI.Account
Item {
    property alias sheet: sheet
    property alias otherSheet: otherSheet
    VexaUtilityView { id: sheet }
    VexaUtilityView { id: otherSheet }
}
)";

// The items of one name inside `root`, top to bottom.
QList<QQuickItem *> itemsNamed(QQuickItem *root, const QString &name)
{
    QList<QQuickItem *> found;
    std::function<void(QQuickItem *)> walk = [&](QQuickItem *at) {
        if (at->objectName() == name && at->isVisible())
            found.append(at);
        for (QQuickItem *child : at->childItems())
            walk(child);
    };
    walk(root);
    std::sort(found.begin(), found.end(), [root](QQuickItem *a, QQuickItem *b) {
        return a->mapToItem(root, QPointF()).y() < b->mapToItem(root, QPointF()).y();
    });
    return found;
}

// The row card an item belongs to.
QQuickItem *rowOf(QQuickItem *item)
{
    for (QQuickItem *at = item; at; at = at->parentItem()) {
        if (at->objectName() == QLatin1String("utilityRow"))
            return at;
    }
    return nullptr;
}

} // namespace

class AccountQmlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void imagesFromTheKeyboard();
    void modelPickerShowsWhatIsSent_data();
    void modelPickerShowsWhatIsSent();
    void earlierPictureIsNotTheResult();
    void imagesPageFollowsTheKeyboard();
    void sheetFromTheKeyboard();
    void sheetKeepsWhatWasTyped();
    void oneReminderPerPress();
    void focusStaysWithItsRow();
    void imagesShareFromTheKeyboard();

private:
    // Opens the share menu from its button with Return: its enabled entries, in order.
    QStringList openShare(const QString &button, const QString &menuName)
    {
        QQuickItem *opener = item(button);
        if (!opener || !opener->isVisible())
            return {QStringLiteral("no button")};
        opener->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QObject *menu = m_view->rootObject()->findChild<QObject *>(menuName);
        m_menu = menu;
        if (!menu || !waitUntil([&] { return menu->property("opened").toBool(); }))
            return {QStringLiteral("no menu")};
        return menuEntries(menu);
    }
    // Down `downs` times and Return in the open menu, which then closes.
    void choose(int downs)
    {
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(m_view.get(), Qt::Key_Down);
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(m_menu && waitUntil([&] { return !m_menu->property("visible").toBool(); }));
    }
    QPointer<QObject> m_menu;

    void load(const QUrl &source);
    void loadSheetHost();
    void openSheet(QObject *sheet);
    QQuickItem *item(const QString &name) const
    {
        if (QQuickItem *found = findItem(m_view->rootObject(), name))
            return found;
        return findItem(m_view->contentItem(), name);
    }

    std::unique_ptr<OpsFixture> m_fixture;
    std::unique_ptr<QQuickView> m_view;
    QTemporaryDir m_dir;
};

void AccountQmlTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QQuickStyle::setStyle(QStringLiteral("Material"));
}

void AccountQmlTest::init()
{
    m_fixture = std::make_unique<OpsFixture>();
    QVERIFY(m_fixture->restore());
    VexaClient::setShared(m_fixture->client.get());
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void AccountQmlTest::cleanup()
{
    m_view.reset();
    VexaClient::setShared(nullptr);
    m_fixture.reset();
}

void AccountQmlTest::load(const QUrl &source)
{
    m_view = openScreen(source, {900, 760});
    QVERIFY(m_view);
}

void AccountQmlTest::imagesFromTheKeyboard()
{
    load(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Account/ImagesView.qml")));
    auto *view = m_view->rootObject()->property("viewModel").value<ImagesViewModel *>();
    QVERIFY(view);
    QVERIFY(!view->selectedModel().isEmpty()); // chosen on appearance
    QQuickItem *generate = item("generateButton");
    QVERIFY(!generate->isEnabled());

    QQuickItem *prompt = item("promptFieldArea");
    prompt->forceActiveFocus();
    typeText(m_view.get(), QStringLiteral("кот"));
    QCOMPARE(view->prompt(), QStringLiteral("кот"));
    QVERIFY(generate->isEnabled());

    // Tab leaves the prompt instead of typing a tab into it.
    QTest::keyClick(m_view.get(), Qt::Key_Tab);
    QVERIFY(!prompt->hasActiveFocus());
    QCOMPARE(view->prompt(), QStringLiteral("кот"));

    prompt->forceActiveFocus();
    QTest::keyClick(m_view.get(), Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(waitUntil([&] { return view->hasResult(); }));
    QCOMPARE(view->prompt(), QStringLiteral("кот")); // never taken away from the user
    // The picture is decoded after it arrives; its height follows once it is.
    QVERIFY(waitUntil([&] {
        QQuickItem *picture = item("resultPicture");
        return picture && picture->isVisible() && picture->height() > 10;
    }));

    // "Редактировать этот результат" from the keyboard makes the result the picture to edit.
    QQuickItem *editResult = item("editResultButton");
    editResult->forceActiveFocus();
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QVERIFY(view->hasSource());
    QCOMPARE(item("pickButton")->property("text").toString(), QStringLiteral("Заменить изображение"));
}

// The images page shares through the app's share menu: a text answer can be copied, saved or
// mailed, a picture copied or saved (no mail for pictures).
void AccountQmlTest::imagesShareFromTheKeyboard()
{
    MailCatcher mail;
    load(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Account/ImagesView.qml")));
    auto *view = m_view->rootObject()->property("viewModel").value<ImagesViewModel *>();
    QVERIFY(view);
    view->setSelectedModel(QStringLiteral("vexa-describe"));
    view->setPrompt(QStringLiteral("Что на картинке?"));
    view->generate();
    QVERIFY(waitUntil([&] { return view->hasTextResult() && !view->generating(); }));
    QCOMPARE(openShare(QStringLiteral("shareTextButton"), QStringLiteral("shareTextMenu")),
             (QStringList{QStringLiteral("Скопировать текст"), QStringLiteral("Сохранить в файл…"),
                          QStringLiteral("Отправить по почте")}));
    choose(3);
    QVERIFY(waitUntil([&] { return !mail.urls.isEmpty(); }));
    QCOMPARE(mail.urls, QList<QUrl>{style::mailUrl(view->textResult())});
}

void AccountQmlTest::loadSheetHost()
{
    QFile host(m_dir.filePath(QStringLiteral("Host.qml")));
    QVERIFY(host.open(QIODevice::WriteOnly));
    host.write(kSheetHost);
    host.close();
    load(QUrl::fromLocalFile(host.fileName()));
}

void AccountQmlTest::modelPickerShowsWhatIsSent_data()
{
    QTest::addColumn<QByteArray>("later");   // image models after the page appeared
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("shown");

    QTest::newRow("a model listed before the chosen one")
        << QByteArray(R"({"a":"Аа","b":"Бета","c":"Гамма"})") << "b" << "Бета";
    QTest::newRow("the same models again") << QByteArray(R"({"b":"Бета","c":"Гамма"})") << "b" << "Бета";
    QTest::newRow("the chosen model withdrawn")
        << QByteArray(R"({"a":"Аа","c":"Гамма"})") << "c" << "Гамма";
}

void AccountQmlTest::modelPickerShowsWhatIsSent()
{
    QVERIFY(m_fixture->loadState(
        R"({"user":{"user_id":424242},"can_generate_images":true,"image_model":"c",)"
        R"("image_models":{"b":"Бета","c":"Гамма"}})"));
    load(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Account/ImagesView.qml")));
    auto *view = m_view->rootObject()->property("viewModel").value<ImagesViewModel *>();
    QQuickItem *picker = item("modelPicker");
    QCOMPARE(view->selectedModel(), QStringLiteral("c"));
    QCOMPARE(picker->property("currentText").toString(), QStringLiteral("Гамма"));

    // The user picks "Бета" from the keyboard.
    picker->forceActiveFocus();
    QTest::keyClick(m_view.get(), Qt::Key_Up);
    QCOMPARE(view->selectedModel(), QStringLiteral("b"));
    QCOMPARE(picker->property("currentText").toString(), QStringLiteral("Бета"));

    // The service's models change while the page is shown.
    QFETCH(QByteArray, later);
    QVERIFY(m_fixture->loadState(
        R"({"user":{"user_id":424242},"can_generate_images":true,"image_model":"c","image_models":)"
        + later + "}"));
    QFETCH(QString, sent);
    QFETCH(QString, shown);
    QCOMPARE(view->selectedModel(), sent);
    QCOMPARE(picker->property("currentValue").toString(), sent);
    QCOMPARE(picker->property("currentText").toString(), shown);
}

void AccountQmlTest::earlierPictureIsNotTheResult()
{
    load(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Account/ImagesView.qml")));
    auto *view = m_view->rootObject()->property("viewModel").value<ImagesViewModel *>();
    view->setPrompt(QStringLiteral("кот"));
    VEXA_AWAIT_VOID(view->runGenerate());
    QVERIFY(view->hasResult());
    QQuickItem *share = item("shareImageButton");
    QVERIFY(waitUntil([&] { return share->isVisible(); }));

    // The next prompt is answered with text: the picture stays, as an earlier one.
    m_fixture->script("POST", QStringLiteral("/api/image/generate"), 200,
                      R"({"ok":true,"output_type":"text","text":"Не могу нарисовать это."})", 0, 1);
    view->setPrompt(QStringLiteral("что-то странное"));
    VEXA_AWAIT_VOID(view->runGenerate());
    QVERIFY(view->hasTextResult());
    QVERIFY(item("textResult")->isVisible());
    QVERIFY(item("resultPicture")->isVisible());
    QQuickItem *caption = item("earlierPictureCaption");
    QVERIFY(caption && caption->isVisible());
    QVERIFY(!share->isVisible());

    // A new picture is the result again.
    view->setPrompt(QStringLiteral("собака"));
    VEXA_AWAIT_VOID(view->runGenerate());
    QVERIFY(waitUntil([&] { return share->isVisible(); }));
    QVERIFY(!caption->isVisible());
}

void AccountQmlTest::imagesPageFollowsTheKeyboard()
{
    load(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Account/ImagesView.qml")));
    m_view->resize(900, 420);
    QQuickItem *page = m_view->rootObject();
    QVERIFY(waitUntil([&] { return page->height() == 420; }));
    const auto inSight = [&](QQuickItem *control) {
        const QRectF box = control->mapRectToItem(page, QRectF(0, 0, control->width(), control->height()));
        return box.top() >= 0 && box.bottom() <= page->height();
    };
    // Tab from the prompt down to the edit card's controls: each one is scrolled into sight.
    item("promptFieldArea")->forceActiveFocus();
    QQuickItem *edit = item("editPromptFieldArea");
    QVERIFY(!inSight(edit));
    for (int presses = 0; presses < 12 && !edit->hasActiveFocus(); ++presses)
        QTest::keyClick(m_view.get(), Qt::Key_Tab);
    QVERIFY(edit->hasActiveFocus());
    QVERIFY(inSight(edit));
    // Back up with Shift+Tab: the prompt comes back into sight.
    QQuickItem *prompt = item("promptFieldArea");
    for (int presses = 0; presses < 12 && !prompt->hasActiveFocus(); ++presses)
        QTest::keyClick(m_view.get(), Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(prompt->hasActiveFocus());
    QVERIFY(inSight(prompt));
}

void AccountQmlTest::sheetFromTheKeyboard()
{
    loadSheetHost();
    auto *sheet = m_view->rootObject()->property("sheet").value<QObject *>();
    QVERIFY(sheet);
    auto *model = sheet->property("viewModel").value<UtilityViewModel *>();
    QVERIFY(model);
    model->setLocale(QLocale(QLocale::Russian, QLocale::Russia));

    QMetaObject::invokeMethod(sheet, "open");
    QVERIFY(waitUntil([&] { return sheet->property("opened").toBool(); }));
    QCOMPARE(model->info(), QStringLiteral("Введите минимум два символа."));

    // The section picker has the focus; Tab reaches the search field.
    QQuickItem *picker = item("sectionPicker");
    QVERIFY(waitUntil([&] { return picker->hasActiveFocus(); }));
    QTest::keyClick(m_view.get(), Qt::Key_Tab);
    QQuickItem *search = item("searchField");
    QVERIFY(search->hasActiveFocus());
    typeText(m_view.get(), QStringLiteral("эчпочмак"));
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QVERIFY(waitUntil([&] { return model->rows()->rowCount() > 0 && !model->busy(); }));
    QCOMPARE(item("utilityInfo")->isVisible(), false);

    // Down on the picker moves to the next section, which loads at once.
    picker->forceActiveFocus();
    QTest::keyClick(m_view.get(), Qt::Key_Down);
    QCOMPARE(model->mode(), QStringLiteral("Экспорт"));
    QCOMPARE(model->rows()->rowCount(), 0);
    QVERIFY(waitUntil([&] { return model->info() == QStringLiteral("Сообщений: 4"); }));
    QVERIFY(item("exportShareButton")->isVisible());

    // "Сохранить или поделиться" is the app's share menu; the Markdown goes by mail too.
    {
        MailCatcher mail;
        QCOMPARE(openShare(QStringLiteral("exportShareButton"), QStringLiteral("exportMenu")),
                 (QStringList{QStringLiteral("Скопировать Markdown"), QStringLiteral("Сохранить как .md…"),
                              QStringLiteral("Отправить по почте")}));
        choose(3);
        QVERIFY(waitUntil([&] { return !mail.urls.isEmpty(); }));
        QCOMPARE(mail.urls, QList<QUrl>{style::mailUrl(model->exported())});
    }
    picker->forceActiveFocus();

    // F5 lists the section again; Esc closes the sheet.
    const qsizetype exports = m_fixture->count(QStringLiteral("/api/productivity/export"));
    QTest::keyClick(m_view.get(), Qt::Key_F5);
    QVERIFY(waitUntil([&] { return m_fixture->count(QStringLiteral("/api/productivity/export")) == exports + 1; }));
    QVERIFY(waitUntil([&] { return !model->busy(); }));
    QTest::keyClick(m_view.get(), Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return !sheet->property("visible").toBool(); }));

    // Opening again goes on where the user left.
    QMetaObject::invokeMethod(sheet, "open");
    QVERIFY(waitUntil([&] { return sheet->property("opened").toBool(); }));
    QCOMPARE(model->mode(), QStringLiteral("Экспорт"));
    QCOMPARE(model->query(), QStringLiteral("эчпочмак"));
}

void AccountQmlTest::openSheet(QObject *sheet)
{
    QMetaObject::invokeMethod(sheet, "open");
    QVERIFY(waitUntil([&] { return sheet->property("opened").toBool(); }));
    auto *model = sheet->property("viewModel").value<UtilityViewModel *>();
    QVERIFY(waitUntil([&] { return !model->busy(); }));
}

void AccountQmlTest::sheetKeepsWhatWasTyped()
{
    loadSheetHost();
    QObject *sheet = m_view->rootObject()->property("sheet").value<QObject *>();
    auto *model = sheet->property("viewModel").value<UtilityViewModel *>();
    openSheet(sheet);
    QQuickItem *search = item("searchField");
    search->forceActiveFocus();
    typeText(m_view.get(), QStringLiteral("казань"));

    // A click on the dimmed area beside the sheet closes nothing.
    QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    QTest::qWait(50);
    QVERIFY(sheet->property("opened").toBool());
    QCOMPARE(model->query(), QStringLiteral("казань"));

    // A reminder typed, then the sheet closed with "Готово" and opened again.
    model->setMode(QStringLiteral("Напоминания"));
    QVERIFY(waitUntil([&] { return !model->busy(); }));
    QQuickItem *reminder = item("reminderText");
    QVERIFY(reminder->isVisible());
    QCOMPARE(reminder->property("text").toString(), QStringLiteral("казань"));
    reminder->forceActiveFocus();
    QTest::keyClick(m_view.get(), Qt::Key_A, Qt::ControlModifier);
    typeText(m_view.get(), QStringLiteral("Купить билеты"));
    QQuickItem *when = item("reminderWhen");
    when->forceActiveFocus();
    QTest::keyClick(m_view.get(), Qt::Key_A, Qt::ControlModifier);
    typeText(m_view.get(), QStringLiteral("завтра в 9:00"));
    QQuickItem *done = item("utilityDone");
    QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier,
                      done->mapToScene(QPointF(done->width() / 2, done->height() / 2)).toPoint());
    QVERIFY(waitUntil([&] { return !sheet->property("visible").toBool(); }));
    openSheet(sheet);
    QCOMPARE(model->mode(), QStringLiteral("Напоминания"));
    QCOMPARE(item("reminderText")->property("text").toString(), QStringLiteral("Купить билеты"));
    QCOMPARE(item("reminderWhen")->property("text").toString(), QStringLiteral("завтра в 9:00"));
    QCOMPARE(m_fixture->count(QStringLiteral("/api/productivity/reminders")), 2); // listed each time

    // Esc, then the other screen's sheet: the same texts.
    QTest::keyClick(m_view.get(), Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return !sheet->property("visible").toBool(); }));
    QObject *other = m_view->rootObject()->property("otherSheet").value<QObject *>();
    openSheet(other);
    auto *otherModel = other->property("viewModel").value<UtilityViewModel *>();
    QCOMPARE(otherModel->mode(), QStringLiteral("Напоминания"));
    QCOMPARE(otherModel->query(), QStringLiteral("Купить билеты"));
    QCOMPARE(otherModel->when(), QStringLiteral("завтра в 9:00"));
    QTest::keyClick(m_view.get(), Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return !other->property("visible").toBool(); }));

    // Signing out forgets them: the next account starts afresh.
    m_fixture->client->signOut();
    openSheet(sheet);
    QCOMPARE(model->mode(), QStringLiteral("Поиск"));
    QCOMPARE(model->query(), QString());
    QCOMPARE(model->when(), QStringLiteral("через 30 минут"));
}

void AccountQmlTest::oneReminderPerPress()
{
    loadSheetHost();
    QObject *sheet = m_view->rootObject()->property("sheet").value<QObject *>();
    auto *model = sheet->property("viewModel").value<UtilityViewModel *>();
    openSheet(sheet);
    model->setMode(QStringLiteral("Напоминания"));
    QVERIFY(waitUntil([&] { return !model->busy(); }));
    // The service takes its time over the reminder.
    m_fixture->script("POST", QStringLiteral("/api/productivity/reminders"), 200,
                      R"({"ok":true,"id":900,"due_at":1900000000})", scaledMs(400));
    item("reminderText")->forceActiveFocus();
    typeText(m_view.get(), QStringLiteral("Полить цветы"));

    QQuickItem *remind = item("remindButton");
    const QPoint centre = remind->mapToScene(QPointF(remind->width() / 2, remind->height() / 2)).toPoint();
    QTest::mouseDClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, centre);
    QVERIFY(!remind->isEnabled());
    // Enter in "Когда" does not send another either.
    item("reminderWhen")->forceActiveFocus();
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QVERIFY(waitUntil([&] { return model->query().isEmpty(); }));
    QVERIFY(waitUntil([&] { return remind->isEnabled(); }));
    QTest::qWait(scaledMs(100));
    const auto posts = m_fixture->service.requests(QStringLiteral("/api/productivity/reminders"));
    const auto created = std::count_if(posts.cbegin(), posts.cend(),
                                       [](const auto &r) { return r.method == "POST"; });
    QCOMPARE(created, 1);
}

void AccountQmlTest::focusStaysWithItsRow()
{
    loadSheetHost();
    QObject *sheet = m_view->rootObject()->property("sheet").value<QObject *>();
    auto *model = sheet->property("viewModel").value<UtilityViewModel *>();
    openSheet(sheet);
    QQuickItem *content = m_view->contentItem();
    const auto focused = [&] { return m_view->activeFocusItem(); };
    // Controls found before a reload; a card rebuilt by it leaves these empty.
    const auto named = [&](const QString &name) {
        QList<QPointer<QQuickItem>> out;
        for (QQuickItem *found : itemsNamed(content, name))
            out.append(found);
        return out;
    };

    // Reminders: a reload with the keyboard on the second card leaves it there.
    model->setMode(QStringLiteral("Напоминания"));
    QVERIFY(waitUntil([&] { return !model->busy() && model->rows()->rowCount() == 2; }));
    const auto deletes = named(QStringLiteral("deleteReminderButton"));
    QCOMPARE(deletes.size(), 2);
    QPointer<QQuickItem> second = rowOf(deletes[1]);
    deletes[1]->forceActiveFocus(Qt::TabFocusReason);
    const qsizetype lists = m_fixture->count(QStringLiteral("/api/productivity/reminders"));
    QTest::keyClick(m_view.get(), Qt::Key_F5);
    QVERIFY(waitUntil([&] { return m_fixture->count(QStringLiteral("/api/productivity/reminders")) == lists + 1; }));
    QVERIFY(waitUntil([&] { return !model->busy(); }));
    QTest::qWait(20); // a rebuilt card would be gone by now
    QVERIFY(deletes[0] && deletes[1]);
    QVERIFY(deletes[1]->hasActiveFocus());

    // "Удалить" from the keyboard: the keyboard goes on to the next reminder's "Удалить".
    deletes[0]->forceActiveFocus(Qt::TabFocusReason);
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QVERIFY(waitUntil([&] { return model->rows()->rowCount() == 1; }));
    QTest::qWait(20);
    QVERIFY(second);
    QVERIFY(deletes[1] && deletes[1]->hasActiveFocus());
    QCOMPARE(rowOf(focused()), second.data());
    QCOMPARE(second->property("title").toString(), QStringLiteral("Оплатить аренду"));

    // Notices: "Прочитано" takes the notice off the list; the keyboard goes on to the next
    // notice's "Прочитано", on the card it was on.
    model->setMode(QStringLiteral("Уведомления"));
    QVERIFY(waitUntil([&] { return !model->busy() && model->rows()->rowCount() == 2; }));
    const auto reads = named(QStringLiteral("markReadButton"));
    QCOMPARE(reads.size(), 2);
    reads[0]->forceActiveFocus(Qt::TabFocusReason);
    QTest::keyClick(m_view.get(), Qt::Key_Space);
    QVERIFY(waitUntil([&] { return model->rows()->rowCount() == 1; }));
    QTest::qWait(20);
    QVERIFY(reads[1] && reads[1]->hasActiveFocus());

    // The last one read: the keyboard goes to "Обновить".
    QTest::keyClick(m_view.get(), Qt::Key_Space);
    QVERIFY(waitUntil([&] { return model->rows()->rowCount() == 0; }));
    QVERIFY(focused());
    QCOMPARE(focused()->objectName(), QStringLiteral("refreshButton"));
}

QTEST_MAIN(AccountQmlTest)
#include "tst_accountqml.moc"
