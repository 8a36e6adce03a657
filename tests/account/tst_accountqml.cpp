// The images page and the productivity sheet as people meet them, offscreen and from the
// keyboard: they load without a warning, a prompt typed and sent with Ctrl+Enter brings a
// picture, and the sheet is searched, switched between sections and closed with keys alone.

#include "accountfixture.h"
#include "imagesviewmodel.h"
#include "sharing.h"
#include "utilityviewmodel.h"

#include <QDesktopServices>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QStandardPaths>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VexaAI_AccountPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ClientPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa;
using namespace vexa::test;

namespace {

QQuickItem *findItem(QQuickItem *root, const QString &name)
{
    if (!root)
        return nullptr;
    if (root->objectName() == name)
        return root;
    const auto children = root->childItems();
    for (QQuickItem *child : children) {
        if (QQuickItem *found = findItem(child, name))
            return found;
    }
    return nullptr;
}

void type(QWindow *window, const QString &text)
{
    // Cyrillic arrives one character at a time, as text without a key code.
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, window, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

const char kSheetHost[] = R"(
import QtQuick
import VexaAI.Account
Item {
    property alias sheet: sheet
    VexaUtilityView { id: sheet }
}
)";

} // namespace

// Takes the mail addresses the app hands the desktop, instead of a mail client.
class MailCatcher : public QObject
{
    Q_OBJECT
public:
    MailCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "take"); }
    ~MailCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("mailto")); }
    QList<QUrl> urls;
public Q_SLOTS:
    void take(const QUrl &url) { urls.append(url); }
};

class AccountQmlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void imagesFromTheKeyboard();
    void sheetFromTheKeyboard();
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
        QStringList entries;
        for (int i = 0; i < menu->property("count").toInt(); ++i) {
            QQuickItem *entry = nullptr;
            QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, entry), Q_ARG(int, i));
            if (entry && entry->isVisible() && entry->isEnabled())
                entries << entry->property("text").toString();
        }
        return entries;
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
    m_view = std::make_unique<QQuickView>();
    m_view->engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
    m_view->setResizeMode(QQuickView::SizeRootObjectToView);
    m_view->setColor(QColor(QStringLiteral("#0b0d17")));
    m_view->setSource(source);
    QVERIFY2(m_view->status() == QQuickView::Ready, qPrintable(QDebug::toString(m_view->errors())));
    m_view->resize(900, 760);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
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
    type(m_view.get(), QStringLiteral("кот"));
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

void AccountQmlTest::sheetFromTheKeyboard()
{
    QFile host(m_dir.filePath(QStringLiteral("Host.qml")));
    QVERIFY(host.open(QIODevice::WriteOnly));
    host.write(kSheetHost);
    host.close();
    load(QUrl::fromLocalFile(host.fileName()));
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
    type(m_view.get(), QStringLiteral("эчпочмак"));
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

    // Opening again starts afresh.
    QMetaObject::invokeMethod(sheet, "open");
    QVERIFY(waitUntil([&] { return sheet->property("opened").toBool(); }));
    QCOMPARE(model->mode(), QStringLiteral("Поиск"));
    QCOMPARE(model->query(), QString());
}

QTEST_MAIN(AccountQmlTest)
#include "tst_accountqml.moc"
