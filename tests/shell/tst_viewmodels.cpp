// The shell's view-models: what the root shows, navigation between sections, the sections
// search, and the sign-in screen's rules.

#include "awaittask.h"
#include "localservice.h"
#include "loginviewmodel.h"
#include "rootviewmodel.h"
#include "sectionlistmodel.h"
#include "testclient.h"
#include "vexasection.h"

#include <QDesktopServices>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

using vexa::LoginViewModel;
using vexa::RootViewModel;
using vexa::SectionListModel;
using vexa::VexaSection;


namespace {

QStringList titles(const QList<VexaSection> &sections)
{
    QStringList out;
    for (const VexaSection section : sections)
        out.append(vexa::sectionTitle(section));
    return out;
}

QStringList modelColumn(const SectionListModel &model, int role)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out.append(model.data(model.index(row), role).toString());
    return out;
}

const QStringList kAllTitles = {
    QStringLiteral("Чат"),         QStringLiteral("Vexa Code"),    QStringLiteral("Изображения"),
    QStringLiteral("Инструменты"), QStringLiteral("Пространство"), QStringLiteral("Сообщество"),
    QStringLiteral("Тарифы"),      QStringLiteral("Профиль")};

// Catches the URL the sign-in screen hands to the desktop instead of opening a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

} // namespace

class ShellViewModelsTest : public QObject
{
    Q_OBJECT

private slots:
    void sectionFilter_data();
    void sectionFilter();
    void sectionFilterFollowsSearchText();
    void sidebarAndDockSets();
    void screenFollowsClient_data();
    void screenFollowsClient();
    void accountTexts_data();
    void accountTexts();
    void widthDecidesLayout_data();
    void widthDecidesLayout();
    void sectionsSheet();
    void selectionOutlivesSignOut();
    void noticeIsClearedOnDismiss();
    void signInEnablement_data();
    void signInEnablement();
    void signInSendsOnlyWhenEnabled();
    void lineBreakCodeGetsClientNotice();
    void openBotOpensTelegramLinkOnly();
};

void ShellViewModelsTest::sectionFilter_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("empty lists all eight") << QString() << kAllTitles;
    QTest::newRow("пр") << QStringLiteral("пр")
                        << QStringList{QStringLiteral("Пространство"), QStringLiteral("Профиль")};
    QTest::newRow("ПР, other case") << QStringLiteral("ПР")
                                    << QStringList{QStringLiteral("Пространство"),
                                                   QStringLiteral("Профиль")};
    QTest::newRow("CODE") << QStringLiteral("CODE") << QStringList{QStringLiteral("Vexa Code")};
    QTest::newRow("leading space is part of the text")
        << QStringLiteral(" code") << QStringList{QStringLiteral("Vexa Code")};
    QTest::newRow("trailing space is not trimmed") << QStringLiteral("code ") << QStringList();
    QTest::newRow("lone space matches titles with a space")
        << QStringLiteral(" ") << QStringList{QStringLiteral("Vexa Code")};
    QTest::newRow("inner text") << QStringLiteral("общ") << QStringList{QStringLiteral("Сообщество")};
    QTest::newRow("no match") << QStringLiteral("почта") << QStringList();
}

void ShellViewModelsTest::sectionFilter()
{
    QFETCH(QString, query);
    QFETCH(QStringList, expected);
    QCOMPARE(titles(vexa::filterSections(query)), expected);
    QCOMPARE(titles(vexa::filterSections(query, QLocale(QLocale::Russian, QLocale::Russia))),
             expected);
}

void ShellViewModelsTest::sectionFilterFollowsSearchText()
{
    TestClient client;
    RootViewModel root;
    root.setClient(&client);
    client.signInAs(std::nullopt, std::nullopt);

    root.setQuickSearch(QStringLiteral("пр"));
    QCOMPARE(modelColumn(*root.foundSections(), SectionListModel::TitleRole),
             (QStringList{QStringLiteral("Пространство"), QStringLiteral("Профиль")}));
    QCOMPARE(root.foundSections()->sectionAt(0), int(VexaSection::Workspace));

    // Opening the sheet starts from an empty search showing everything.
    root.openSections();
    QCOMPARE(root.quickSearch(), QString());
    QCOMPARE(modelColumn(*root.foundSections(), SectionListModel::TitleRole), kAllTitles);
}

void ShellViewModelsTest::sidebarAndDockSets()
{
    RootViewModel root;
    const QStringList sidebar = modelColumn(*root.sidebarSections(), SectionListModel::TitleRole);
    QCOMPARE(sidebar, kAllTitles.mid(0, 6));
    QVERIFY(!sidebar.contains(QStringLiteral("Тарифы")));
    QVERIFY(!sidebar.contains(QStringLiteral("Профиль")));

    QCOMPARE(modelColumn(*root.dockSections(), SectionListModel::DockLabelRole),
             (QStringList{QStringLiteral("Чат"), QStringLiteral("Изображения"),
                          QStringLiteral("Работа"), QStringLiteral("Профиль")}));

    // At compact width these are reached only through "Ещё".
    QList<VexaSection> onlyInSheet;
    for (const VexaSection section : vexa::allSections()) {
        if (!vexa::dockSections().contains(section))
            onlyInSheet.append(section);
    }
    QCOMPARE(onlyInSheet, (QList<VexaSection>{VexaSection::Code, VexaSection::Tools,
                                              VexaSection::Community, VexaSection::Plans}));

    // Every section has a symbol and a dock label of its own, and its screen's document is in
    // the app (a wrong address would open a blank page only when the section is chosen).
    QSet<QString> documents;
    for (const VexaSection section : vexa::allSections()) {
        QVERIFY(!vexa::sectionSymbol(section).isEmpty());
        QVERIFY(!vexa::sectionDockLabel(section).isEmpty());
        const QString document = vexa::sectionDocument(section);
        QVERIFY2(document.startsWith(QLatin1String("qrc:/"))
                     && QFile::exists(document.mid(3)), qPrintable(document));
        documents.insert(document);
    }
    QCOMPARE(documents.size(), vexa::allSections().size());
}

void ShellViewModelsTest::screenFollowsClient_data()
{
    QTest::addColumn<bool>("loading");
    QTest::addColumn<bool>("signedIn");
    QTest::addColumn<RootViewModel::Screen>("expected");

    QTest::newRow("signed out") << false << false << RootViewModel::Screen::SignIn;
    QTest::newRow("restore or sign-in running") << true << false << RootViewModel::Screen::Waiting;
    QTest::newRow("signed in") << false << true << RootViewModel::Screen::Sections;
    QTest::newRow("signed in, loading") << true << true << RootViewModel::Screen::Sections;
}

void ShellViewModelsTest::screenFollowsClient()
{
    QFETCH(bool, loading);
    QFETCH(bool, signedIn);
    QFETCH(RootViewModel::Screen, expected);

    TestClient client;
    RootViewModel root;
    root.setClient(&client);
    QSignalSpy changes(&root, &RootViewModel::screenChanged);
    client.setLoading(loading);
    if (signedIn)
        client.signInAs(QStringLiteral("Анна"), std::nullopt);
    QCOMPARE(root.screen(), expected);
    QCOMPARE(changes.isEmpty(), expected == RootViewModel::Screen::SignIn);

    // A user without a user id is not signed in.
    vexa::VexaState nameOnly;
    nameOnly.user = vexa::VexaUser{std::nullopt, QStringLiteral("anna"), QStringLiteral("Анна")};
    client.setState(nameOnly);
    QCOMPARE(root.screen(), loading ? RootViewModel::Screen::Waiting : RootViewModel::Screen::SignIn);
}

void ShellViewModelsTest::accountTexts_data()
{
    QTest::addColumn<bool>("hasState");
    QTest::addColumn<std::optional<QString>>("firstName");
    QTest::addColumn<std::optional<QString>>("planTitle");
    QTest::addColumn<QString>("expectedPlan");
    QTest::addColumn<QString>("expectedName");

    const std::optional<QString> none;
    QTest::newRow("no state") << false << none << none << QStringLiteral("Мой аккаунт")
                              << QStringLiteral("Мой Vexa");
    QTest::newRow("no plan, no name") << true << none << none << QStringLiteral("Мой аккаунт")
                                      << QStringLiteral("Мой Vexa");
    QTest::newRow("both") << true << std::optional<QString>(QStringLiteral("Алина"))
                          << std::optional<QString>(QStringLiteral("Vexa Pro"))
                          << QStringLiteral("Vexa Pro") << QStringLiteral("Алина");
}

void ShellViewModelsTest::accountTexts()
{
    QFETCH(bool, hasState);
    QFETCH(std::optional<QString>, firstName);
    QFETCH(std::optional<QString>, planTitle);
    QFETCH(QString, expectedPlan);
    QFETCH(QString, expectedName);

    TestClient client;
    RootViewModel root;
    root.setClient(&client);
    QSignalSpy changes(&root, &RootViewModel::accountChanged);
    if (hasState)
        client.signInAs(firstName, planTitle);
    QCOMPARE(root.planTitle(), expectedPlan);
    QCOMPARE(root.accountName(), expectedName);
    QCOMPARE(changes.isEmpty(), !hasState);
}

void ShellViewModelsTest::widthDecidesLayout_data()
{
    QTest::addColumn<qreal>("width");
    QTest::addColumn<bool>("regular");
    QTest::newRow("unknown width counts as compact") << 0.0 << false;
    QTest::newRow("phone") << 420.0 << false;
    QTest::newRow("just below") << 699.5 << false;
    QTest::newRow("limit") << 700.0 << true;
    QTest::newRow("desktop") << 1280.0 << true;
}

void ShellViewModelsTest::widthDecidesLayout()
{
    QFETCH(qreal, width);
    QFETCH(bool, regular);
    RootViewModel root;
    root.setWidth(width);
    QCOMPARE(root.regular(), regular);
}

void ShellViewModelsTest::sectionsSheet()
{
    TestClient client;
    RootViewModel root;
    root.setClient(&client);

    // Not while signed out: there are no sections to move between.
    root.openSections();
    QVERIFY(!root.showingSections());

    client.signInAs(std::nullopt, std::nullopt);
    QCOMPARE(root.selection(), VexaSection::Chat);
    root.setQuickSearch(QStringLiteral("старый поиск"));
    root.openSections();
    QVERIFY(root.showingSections());
    QVERIFY(root.quickSearch().isEmpty());

    root.chooseSection(int(VexaSection::Community));
    QCOMPARE(root.selection(), VexaSection::Community);
    QCOMPARE(root.selectionTitle(), QStringLiteral("Сообщество"));
    QVERIFY(!root.showingSections());

    root.openSections();
    root.closeSections();
    QVERIFY(!root.showingSections());
    QCOMPARE(root.selection(), VexaSection::Community);

    // Values that name no section are ignored.
    root.select(42);
    root.select(-1);
    QCOMPARE(root.selection(), VexaSection::Community);
}

void ShellViewModelsTest::selectionOutlivesSignOut()
{
    TestClient client;
    RootViewModel root;
    root.setClient(&client);
    client.signInAs(std::nullopt, std::nullopt);
    root.select(int(VexaSection::Images));
    root.openSections();

    client.signOut();
    QCOMPARE(root.screen(), RootViewModel::Screen::SignIn);
    QVERIFY(!root.showingSections()); // the sheet does not outlive the sections
    QCOMPARE(root.selection(), VexaSection::Images);

    client.signInAs(std::nullopt, std::nullopt);
    QCOMPARE(root.selection(), VexaSection::Images);
}

void ShellViewModelsTest::noticeIsClearedOnDismiss()
{
    TestClient client;
    RootViewModel root;
    root.setClient(&client);
    QSignalSpy changes(&root, &RootViewModel::noticeChanged);

    client.setNotice(QStringLiteral("Сервер недоступен."));
    QVERIFY(root.hasNotice());
    QCOMPARE(root.notice(), QStringLiteral("Сервер недоступен."));
    QCOMPARE(changes.size(), 1);

    root.dismissNotice();
    QVERIFY(!client.hasNotice());
    QVERIFY(!root.hasNotice());
    QCOMPARE(changes.size(), 2);

    // Dismissing twice (the alert closing after the notice went) changes nothing.
    root.dismissNotice();
    QCOMPARE(changes.size(), 2);
}

void ShellViewModelsTest::signInEnablement_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("loading");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("empty") << QString() << false << false;
    QTest::newRow("spaces") << QStringLiteral("   ") << false << false;
    QTest::newRow("tabs and spaces") << QStringLiteral("\t \t") << false << false;
    QTest::newRow("no-break space") << QStringLiteral("\u00a0") << false << false;
    QTest::newRow("lone line break") << QStringLiteral("\n") << false << true;
    QTest::newRow("line break between spaces") << QStringLiteral(" \n ") << false << true;
    QTest::newRow("code") << QStringLiteral("123456") << false << true;
    QTest::newRow("code in spaces") << QStringLiteral(" 12 34 ") << false << true;
    QTest::newRow("letters are not refused") << QStringLiteral("abc") << false << true;
    QTest::newRow("code while loading") << QStringLiteral("123456") << true << false;
}

void ShellViewModelsTest::signInEnablement()
{
    QFETCH(QString, code);
    QFETCH(bool, loading);
    QFETCH(bool, enabled);

    TestClient client;
    LoginViewModel login;
    login.setClient(&client);
    login.setCode(code);
    client.setLoading(loading);
    QCOMPARE(login.canSignIn(), enabled);

    // The button follows the end of a sign-in or restore.
    QSignalSpy changes(&login, &LoginViewModel::canSignInChanged);
    client.setLoading(false);
    QCOMPARE(changes.isEmpty(), !loading);
    QCOMPARE(login.canSignIn(), LoginViewModel::hasCodeText(code));
}

void ShellViewModelsTest::signInSendsOnlyWhenEnabled()
{
    vexa::service::LocalService service;
    QVERIFY(service.listen());
    service.setFixedCode(QStringLiteral("135790"));
    TestClient client(service.baseUrl().toString());
    LoginViewModel login;
    login.setClient(&client);

    // Enter in a blank field reaches signIn() too; nothing may leave the app.
    login.setCode(QStringLiteral(" \t "));
    login.signIn();
    QVERIFY(!client.loading());
    QVERIFY(!client.hasNotice());

    // The text goes to the client as typed; the client trims it.
    login.setCode(QStringLiteral(" 135790 "));
    login.signIn();
    QVERIFY(client.loading());
    QVERIFY(!login.canSignIn());
    QVERIFY(vexa::test::waitUntil([&] { return !client.loading(); }));
    QVERIFY(client.isSignedIn());
    const auto requests = service.requests(QStringLiteral("/api/web/sync"));
    QCOMPARE(requests.size(), 1);
    QCOMPARE(QJsonDocument::fromJson(requests.first().body).object().value("code").toString(),
             QStringLiteral("135790"));
}

void ShellViewModelsTest::lineBreakCodeGetsClientNotice()
{
    vexa::service::LocalService service;
    QVERIFY(service.listen());
    TestClient client(service.baseUrl().toString());
    LoginViewModel login;
    login.setClient(&client);

    login.setCode(QStringLiteral("\n"));
    QVERIFY(login.canSignIn());
    login.signIn();
    QVERIFY(vexa::test::waitUntil([&] { return client.hasNotice(); }));
    QCOMPARE(client.noticeText(), QStringLiteral("Введите код из Telegram-бота."));
    QVERIFY(service.requests(QStringLiteral("/api/web/sync")).isEmpty());
}

void ShellViewModelsTest::openBotOpensTelegramLinkOnly()
{
    TestClient client;
    LoginViewModel login;
    login.setClient(&client);
    UrlCatcher catcher;
    const QString scheme = vexa::VexaClient::telegramURL().scheme();
    QDesktopServices::setUrlHandler(scheme, &catcher, "open");

    QSignalSpy loading(&client, &vexa::VexaClient::loadingChanged);
    QSignalSpy notice(&client, &vexa::VexaClient::noticeChanged);
    login.setCode(QStringLiteral("123"));
    login.openBot();
    QDesktopServices::unsetUrlHandler(scheme);

    QCOMPARE(catcher.opened, QList<QUrl>{vexa::VexaClient::telegramURL()});
    QCOMPARE(vexa::VexaClient::telegramURL().query(), QStringLiteral("start=web"));
    QVERIFY(loading.isEmpty());
    QVERIFY(notice.isEmpty());
    QCOMPARE(login.code(), QStringLiteral("123"));
}

QTEST_MAIN(ShellViewModelsTest)

#include "tst_viewmodels.moc"
