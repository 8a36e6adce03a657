// The profile and plans pages in the real app against the local service, driven from the
// keyboard: Tab reaches the controls, Space and Enter press them, arrows change a choice, Esc
// closes a confirmation without doing anything, and signing out returns to the sign-in screen.

#include "awaittask.h"
#include "chatpreferences.h"
#include "spellpreferences.h"
#include "localservice.h"
#include "plansviewmodel.h"
#include "rootviewmodel.h"
#include "servicestate.h"
#include "vexaaiapp.h"
#include "vexasection.h"

#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

using vexa::test::waitUntil;

class ProfileQmlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void profileFromTheKeyboard();
    void signOutFromTheProfile();
    void plansFromTheKeyboard();
    void narrowWindow();

private:
    QObject *find(const QString &name) const
    {
        QQuickWindow *window = m_app->window();
        if (QObject *found = window->findChild<QObject *>(name))
            return found;
        return window->contentItem()->findChild<QObject *>(name);
    }
    QQuickItem *item(const QString &name) const { return qobject_cast<QQuickItem *>(find(name)); }
    bool shown(const QString &name) const
    {
        QQuickItem *found = item(name);
        return found && found->isVisible();
    }
    bool popupOpen(const QString &name) const
    {
        QObject *popup = find(name);
        return popup && popup->property("opened").toBool();
    }
    bool popupGone(const QString &name) const
    {
        // A sheet made only while open (the voice library) is gone altogether once closed.
        QObject *popup = find(name);
        return !popup || !popup->property("visible").toBool();
    }
    QQuickItem *focused() const { return m_app->window()->activeFocusItem(); }
    // Tab until the keyboard is on `target` (or inside it); false after a full round.
    bool tabTo(QQuickItem *target)
    {
        for (int presses = 0; presses < 120; ++presses) {
            for (QQuickItem *at = focused(); at; at = at->parentItem()) {
                if (at == target)
                    return true;
            }
            QTest::keyClick(m_app->window(), Qt::Key_Tab);
        }
        return false;
    }
    void key(Qt::Key key) { QTest::keyClick(m_app->window(), key); }
    void type(const QString &text)
    {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, m_app->window(), Qt::Key_unknown, QString(ch),
                                Qt::NoModifier);
    }
    vexa::RootViewModel *root() const
    {
        if (auto *model = m_app->window()->findChild<vexa::RootViewModel *>())
            return model;
        return m_app->window()->contentItem()->findChild<vexa::RootViewModel *>();
    }
    void signInAndOpen(vexa::VexaSection section, const QString &page);
    void dismissAlert();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<vexa::service::LocalService> m_service;
    std::unique_ptr<vexa::VexaAIApp> m_app;
};

void ProfileQmlTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    vexa::VexaAIApp::prepareApplication();
}

void ProfileQmlTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_service = std::make_unique<vexa::service::LocalService>();
    QVERIFY(m_service->listen());
    m_service->setFixedCode(QStringLiteral("246810"));
    m_app = std::make_unique<vexa::VexaAIApp>(m_service->baseUrl().toString(),
                                              m_dir->filePath(QStringLiteral("cookies")));
    QVERIFY(m_app->start());
    m_app->window()->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(m_app->window(), vexa::test::scaledMs(5000)));
    m_app->window()->requestActivate();
}

void ProfileQmlTest::cleanup()
{
    m_app.reset();
    m_service.reset();
    m_dir.reset();
}

void ProfileQmlTest::signInAndOpen(vexa::VexaSection section, const QString &page)
{
    QVERIFY(waitUntil([&] { return shown(QStringLiteral("loginView")); }));
    QVERIFY(waitUntil([&] { return item(QStringLiteral("codeField"))->hasActiveFocus(); }));
    type(QStringLiteral("246810"));
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return shown(QStringLiteral("sectionsLayout")); }));
    QVERIFY(root());
    root()->select(int(section));
    QVERIFY(waitUntil([&] { return shown(page); }));
}

void ProfileQmlTest::dismissAlert()
{
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("noticeAlert")); }));
    key(Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return popupGone(QStringLiteral("noticeAlert")); }));
}

void ProfileQmlTest::profileFromTheKeyboard()
{
    signInAndOpen(vexa::VexaSection::Profile, QStringLiteral("profileView"));
    QCOMPARE(item(QStringLiteral("profileName"))->property("text").toString(),
             m_service->state().firstName);

    // The bonus: Tab to the button, Space claims it, the service's message is the alert, and the
    // button gives way to the claimed text.
    QQuickItem *claim = item(QStringLiteral("claimBonusButton"));
    QVERIFY(tabTo(claim));
    key(Qt::Key_Space);
    QVERIFY(waitUntil([&] { return m_app->client().hasNotice(); }));
    QCOMPARE(m_app->client().noticeText(),
             QStringLiteral("Ежедневный бонус получен: +5 бонусных запросов."));
    dismissAlert();
    QVERIFY(waitUntil([&] { return shown(QStringLiteral("bonusClaimedText")); }));
    QVERIFY(!claim->isVisible());
    QCOMPARE(m_service->requests(QStringLiteral("/api/bonus/claim")).size(), 1);

    // Showing the page sent no setting; the down arrow on the length picker sends one.
    QCOMPARE(m_service->requests(QStringLiteral("/api/settings/update")).size(), 0);
    QQuickItem *length = item(QStringLiteral("lengthPicker"));
    QVERIFY(tabTo(length));
    key(Qt::Key_Down);
    QVERIFY(waitUntil([&] { return m_service->state().settings.responseLength == QStringLiteral("detailed"); }));
    QCOMPARE(m_service->requests(QStringLiteral("/api/settings/update")).size(), 1);

    // The text size slider: the right arrow makes the chat's text a point larger.
    vexa::ChatPreferences chat;
    const double before = chat.textSize();
    QVERIFY(tabTo(item(QStringLiteral("textSizeSlider"))));
    key(before < vexa::ChatPreferences::kMaxTextSize ? Qt::Key_Right : Qt::Key_Left);
    QVERIFY(waitUntil([&] { return chat.textSize() != before; }));
    QCOMPARE(std::abs(chat.textSize() - before), 1.0);
    chat.setTextSize(before);

    // "Проверять орфографию" (the dictionaries are installed, so it is on offer): Space turns it
    // over in the store every text field reads.
    vexa::spell::SpellPreferences spelling;
    const bool spellingBefore = spelling.enabled();
    QQuickItem *spellSwitch = item(QStringLiteral("spellCheckSwitch"));
    QVERIFY(spellSwitch);
    QVERIFY(waitUntil([&] { return spellSwitch->isEnabled(); }));
    QVERIFY(tabTo(spellSwitch));
    key(Qt::Key_Space);
    QVERIFY(waitUntil([&] { return spelling.enabled() != spellingBefore; }));
    spelling.setEnabled(spellingBefore);

    // The voice library button opens its sheet; Esc closes it and the keyboard comes back.
    QQuickItem *library = item(QStringLiteral("voiceLibraryButton"));
    QVERIFY(tabTo(library));
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("voiceLibrarySheet")); }));
    key(Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return popupGone(QStringLiteral("voiceLibrarySheet")); }));
    QVERIFY(waitUntil([&] { return library->hasActiveFocus(); }));

    // Hiding messages asks first, on "Отмена": Enter there hides nothing; Tab reaches "Скрыть",
    // and Enter on it hides them without a request.
    QVERIFY(!m_app->client().entries().isEmpty());
    const auto requestsBefore = m_service->requests().size();
    QQuickItem *hide = item(QStringLiteral("hideMessagesButton"));
    QVERIFY(tabTo(hide));
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("confirmClearDialog")); }));
    QVERIFY(waitUntil([&] { return focused() && focused()->objectName() == QStringLiteral("confirmationCancel"); }));
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return popupGone(QStringLiteral("confirmClearDialog")); }));
    QVERIFY(!m_app->client().entries().isEmpty());
    QVERIFY(waitUntil([&] { return hide->hasActiveFocus(); }));
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("confirmClearDialog")); }));
    QVERIFY(waitUntil([&] { return focused() && focused()->objectName() == QStringLiteral("confirmationCancel"); }));
    key(Qt::Key_Tab);
    QCOMPARE(focused()->objectName(), QStringLiteral("confirmationAccept"));
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return popupGone(QStringLiteral("confirmClearDialog")); }));
    QVERIFY(m_app->client().entries().isEmpty());
    QCOMPARE(m_service->requests().size(), requestsBefore);
}

void ProfileQmlTest::signOutFromTheProfile()
{
    signInAndOpen(vexa::VexaSection::Profile, QStringLiteral("profileView"));
    const QString cookieFile = m_dir->filePath(QStringLiteral("cookies"));
    const auto storedCookies = [&] {
        QFile file(cookieFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QVERIFY(storedCookies().contains(vexa::service::LocalService::cookieName()));

    QQuickItem *signOut = item(QStringLiteral("signOutButton"));
    QVERIFY(tabTo(signOut));
    // Esc answers the question with "no": still signed in, the keyboard back on the button.
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("confirmSignOutDialog")); }));
    key(Qt::Key_Escape);
    QVERIFY(waitUntil([&] { return popupGone(QStringLiteral("confirmSignOutDialog")); }));
    QVERIFY(m_app->client().isSignedIn());
    QVERIFY(waitUntil([&] { return signOut->hasActiveFocus(); }));

    // The question opens on "Отмена": Enter there keeps the session.
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("confirmSignOutDialog")); }));
    QVERIFY(waitUntil([&] { return focused() && focused()->objectName() == QStringLiteral("confirmationCancel"); }));
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return popupGone(QStringLiteral("confirmSignOutDialog")); }));
    QVERIFY(m_app->client().isSignedIn());
    QVERIFY(waitUntil([&] { return signOut->hasActiveFocus(); }));

    // Enter, Tab to "Выйти", Enter: the sign-in screen, and the cookie is gone from the disk.
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return popupOpen(QStringLiteral("confirmSignOutDialog")); }));
    QVERIFY(waitUntil([&] { return focused() && focused()->objectName() == QStringLiteral("confirmationCancel"); }));
    key(Qt::Key_Tab);
    QCOMPARE(focused()->objectName(), QStringLiteral("confirmationAccept"));
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return shown(QStringLiteral("loginView")); }));
    QVERIFY(!m_app->client().isSignedIn());
    QVERIFY(!storedCookies().contains(vexa::service::LocalService::cookieName()));
}

void ProfileQmlTest::plansFromTheKeyboard()
{
    signInAndOpen(vexa::VexaSection::Plans, QStringLiteral("plansView"));
    auto *plans = item(QStringLiteral("plansView"))->property("viewModel").value<vexa::PlansViewModel *>();
    QVERIFY(plans);
    QVERIFY(waitUntil([&] { return !plans->loading() && plans->offers().size() == 3; }));
    QCOMPARE(item(QStringLiteral("currentPlanLine"))->property("text").toString(),
             QStringLiteral("Текущий тариф: Vexa Pro"));

    // Spaces only keep the button off; letters come out as capitals; Enter redeems.
    QQuickItem *field = item(QStringLiteral("promoField"));
    QQuickItem *button = item(QStringLiteral("redeemButton"));
    QVERIFY(tabTo(field));
    type(QStringLiteral("  "));
    QVERIFY(!button->isEnabled());
    type(QStringLiteral("ultra7"));
    QCOMPARE(field->property("text").toString(), QStringLiteral("  ULTRA7"));
    QVERIFY(button->isEnabled());
    key(Qt::Key_Return);
    QVERIFY(waitUntil([&] { return m_app->client().hasNotice(); }));
    QCOMPARE(m_app->client().noticeText(),
             QStringLiteral("Промокод ULTRA7 активирован: тариф Vexa Ultra на 7 дней."));
    QCOMPARE(field->property("text").toString(), QString());
    QCOMPARE(item(QStringLiteral("currentPlanLine"))->property("text").toString(),
             QStringLiteral("Текущий тариф: Vexa Ultra"));
    dismissAlert();

    // A refused code stays in the field with the service's reason.
    QVERIFY(tabTo(field));
    type(QStringLiteral("welcome"));
    QVERIFY(tabTo(button));
    key(Qt::Key_Space);
    QVERIFY(waitUntil([&] { return m_app->client().hasNotice(); }));
    QCOMPARE(m_app->client().noticeText(),
             QStringLiteral("Промокод «WELCOME» уже активирован на вашем аккаунте."));
    QCOMPARE(field->property("text").toString(), QStringLiteral("WELCOME"));
    dismissAlert();

    // F5 loads the offers again.
    const auto loads = m_service->requests(QStringLiteral("/api/plans")).size();
    key(Qt::Key_F5);
    QVERIFY(waitUntil([&] { return m_service->requests(QStringLiteral("/api/plans")).size() == loads + 1; }));
}

void ProfileQmlTest::narrowWindow()
{
    signInAndOpen(vexa::VexaSection::Profile, QStringLiteral("profileView"));
    m_app->window()->resize(420, 860);
    QVERIFY(waitUntil([&] { return shown(QStringLiteral("dock")); }));
    QVERIFY(shown(QStringLiteral("profileView")));
    // Cards fit the narrow page: nothing sticks out sideways.
    QQuickItem *page = item(QStringLiteral("profileView"));
    QQuickItem *signOut = item(QStringLiteral("signOutButton"));
    QVERIFY(signOut->mapToItem(page, QPointF(signOut->width(), 0)).x() <= page->width());
    QVERIFY(tabTo(signOut));
    // The focused button was scrolled into view (its top at least).
    const QPointF at = signOut->mapToItem(page, QPointF(0, 0));
    QVERIFY2(at.y() >= 0 && at.y() < page->height(), qPrintable(QString::number(at.y())));
}

QTEST_MAIN(ProfileQmlTest)

#include "tst_profileqml.moc"
