// The community section driven like a person at a desk, offscreen and against the local
// service: Tab reaches every row and control, Enter opens a topic or a group and sends a
// reply, Esc goes back, F5 reloads, the new-topic dialog works without the mouse.

#include "awaittask.h"
#include "communityfixture.h"
#include "communitydetailviewmodel.h"
#include "communityviewmodel.h"
#include "topicdetailviewmodel.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

Q_IMPORT_QML_PLUGIN(VexaAI_ContentPlugin)
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

} // namespace

class CommunityQmlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QQuickStyle::setStyle(QStringLiteral("Material"));
    }

    void init()
    {
        m_fixture = std::make_unique<CommunityFixture>();
        VexaClient::setShared(m_fixture->client.get());
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        m_view = std::make_unique<QQuickView>();
        m_view->engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
        m_view->setResizeMode(QQuickView::SizeRootObjectToView);
        m_view->setSource(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Content/CommunityView.qml")));
        QVERIFY2(m_view->status() == QQuickView::Ready,
                 qPrintable(QDebug::toString(m_view->errors())));
        m_view->resize(900, 700);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get(), vexa::test::scaledMs(5000)));
        m_view->requestActivate();
        QVERIFY(waitUntil([this] { return list()->topicList().size() == 4; }));
        QVERIFY(waitUntil([this] { return list()->communityList().size() == 5; }));
    }

    void cleanup()
    {
        m_view.reset();
        VexaClient::setShared(nullptr);
        m_fixture.reset();
    }

    void topicFromTheKeyboard()
    {
        QVERIFY(tabTo(QStringLiteral("topicRow0")));
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([this] { return depth() == 2; }));
        auto *topic = page()->property("viewModel").value<TopicDetailViewModel *>();
        QVERIFY(topic);
        QCOMPARE(topic->title(), QStringLiteral("Как сохранять удачные ответы в коллекцию?"));
        QVERIFY(waitUntil([topic] { return topic->postList().size() == 3; }));

        QVERIFY(tabTo(QStringLiteral("replyField")));
        type(QStringLiteral("Спасибо!"));
        QCOMPARE(topic->reply(), QStringLiteral("Спасибо!"));
        QTest::keyClick(m_view.get(), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(topic->reply(), QStringLiteral("Спасибо!\n")); // Shift+Enter breaks the line
        QTest::keyClick(m_view.get(), Qt::Key_Backspace);
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([topic] { return topic->postList().size() == 4; }));
        QCOMPARE(m_fixture->count(QStringLiteral("/api/forum/topic/1/reply")), 1);
        QCOMPARE(topic->reply(), QString());

        QTest::keyClick(m_view.get(), Qt::Key_Escape);
        QVERIFY(waitUntil([this] { return depth() == 1; }));
        QVERIFY(m_view->activeFocusItem());
    }

    void lockedTopicShowsNoReplyField()
    {
        QVERIFY(tabTo(QStringLiteral("topicRow1")));
        QTest::keyClick(m_view.get(), Qt::Key_Space);
        QVERIFY(waitUntil([this] { return depth() == 2; }));
        auto *topic = page()->property("viewModel").value<TopicDetailViewModel *>();
        QVERIFY(waitUntil([topic] { return topic->postList().size() == 1; }));
        QVERIFY(!item(QStringLiteral("topicComposer"))->isVisible());
        QVERIFY(item(QStringLiteral("lockedMessage"))->isVisible());
        QVERIFY(!tabTo(QStringLiteral("replyField"), 12));
    }

    void refreshKeyAndButton_data()
    {
        QTest::addColumn<bool>("useButton");
        QTest::newRow("F5") << false;
        QTest::newRow("button") << true;
    }
    void refreshKeyAndButton()
    {
        QFETCH(bool, useButton);
        const QString topics = QStringLiteral("/api/forum/topics");
        const QString groups = QStringLiteral("/api/community/list");
        QCOMPARE(m_fixture->count(topics), 1);
        QCOMPARE(item(QStringLiteral("refreshButton"))->property("label").toString(),
                 QStringLiteral("Обновить"));
        if (useButton) {
            QVERIFY(tabTo(QStringLiteral("refreshButton")));
            QTest::keyClick(m_view.get(), Qt::Key_Space);
        } else {
            QTest::keyClick(m_view.get(), Qt::Key_F5);
        }
        QVERIFY(waitUntil([&] { return m_fixture->count(groups) == 2; }));
        QCOMPARE(m_fixture->count(topics), 2);

        // On a pushed page the key reloads that page.
        QVERIFY(tabTo(QStringLiteral("communityRow0")));
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([this] { return depth() == 2; }));
        QVERIFY(waitUntil([&] { return m_fixture->count(QStringLiteral("/api/community/1")) == 1; }));
        QTest::keyClick(m_view.get(), Qt::Key_F5);
        QVERIFY(waitUntil([&] { return m_fixture->count(QStringLiteral("/api/community/1")) == 2; }));
        QCOMPARE(m_fixture->count(topics), 2);
    }

    void newTopicDialog_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Ctrl+Enter creates") << true;
        QTest::newRow("Esc closes and keeps the text") << false;
    }
    void newTopicDialog()
    {
        QFETCH(bool, confirm);
        QVERIFY(tabTo(QStringLiteral("newTopicButton")));
        QTest::keyClick(m_view.get(), Qt::Key_Space);
        QVERIFY(waitUntil([this] { return list()->showingCreate(); }));
        QVERIFY(waitUntil([this] { return focusName() == QStringLiteral("topicTitleField"); }));
        type(QStringLiteral("аб"));
        QVERIFY(!list()->canCreate());
        QTest::keyClick(m_view.get(), Qt::Key_Return); // too short: nothing happens
        QVERIFY(list()->showingCreate());
        type(QStringLiteral("в 🙂"));
        QVERIFY(list()->canCreate());
        QTest::keyClick(m_view.get(), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("topicBodyField"));
        type(QStringLiteral("Текст"));
        QCOMPARE(list()->newBody(), QStringLiteral("Текст"));
        if (!confirm) {
            QTest::keyClick(m_view.get(), Qt::Key_Escape);
            QVERIFY(waitUntil([this] { return !list()->showingCreate(); }));
            QCOMPARE(list()->newTitle(), QStringLiteral("абв 🙂"));
            QCOMPARE(m_fixture->count(QStringLiteral("/api/forum/topic")), 0);
            QCOMPARE(depth(), 1);
            return;
        }
        QTest::keyClick(m_view.get(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(waitUntil([this] { return !list()->showingCreate(); }));
        QVERIFY(waitUntil([this] { return list()->topicList().size() == 5; }));
        QCOMPARE(list()->topicList().first().title, QStringLiteral("абв 🙂"));
        QCOMPARE(list()->newTitle(), QString());
    }

    void groupFromTheKeyboard()
    {
        QVERIFY(tabTo(QStringLiteral("communityRow1"))); // not joined yet
        QTest::keyClick(m_view.get(), Qt::Key_Enter);
        QVERIFY(waitUntil([this] { return depth() == 2; }));
        auto *group = page()->property("viewModel").value<CommunityDetailViewModel *>();
        QVERIFY(group);
        QVERIFY(waitUntil([group] { return group->postList().size() == 1; }));
        QVERIFY(!item(QStringLiteral("groupComposer"))->isVisible());

        QVERIFY(tabTo(QStringLiteral("membershipButton")));
        QTest::keyClick(m_view.get(), Qt::Key_Space);
        QVERIFY(waitUntil([group] { return group->isMember(); }));
        QVERIFY(item(QStringLiteral("groupComposer"))->isVisible());

        // The post list: Enter likes the current post.
        QVERIFY(tabTo(QStringLiteral("groupPosts")));
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([&] {
            return m_fixture->count(QStringLiteral("/api/community/post/21/like")) == 1;
        }));
        QVERIFY(waitUntil([group] {
            return group->posts()->value(0, "likes").toString() == QStringLiteral("♡ 57");
        }));

        QVERIFY(tabTo(QStringLiteral("anonymousSwitch")));
        QTest::keyClick(m_view.get(), Qt::Key_Space);
        QVERIFY(group->anonymous());
        QVERIFY(tabTo(QStringLiteral("draftField")));
        type(QStringLiteral("Привет всем"));
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([group] { return group->postList().size() == 2; }));
        QCOMPARE(group->posts()->value(0, "author").toString(), QStringLiteral("Анонимно"));
        QCOMPARE(group->draft(), QString());
    }

private:
    CommunityViewModel *list() const
    {
        return m_view->rootObject()->property("viewModel").value<CommunityViewModel *>();
    }
    QQuickItem *stack() const
    {
        return m_view->rootObject()->property("stack").value<QQuickItem *>();
    }
    int depth() const { return stack()->property("depth").toInt(); }
    QQuickItem *page() const { return stack()->property("currentItem").value<QQuickItem *>(); }
    QQuickItem *item(const QString &name) const { return findItem(m_view->contentItem(), name); }
    QString focusName() const
    {
        QQuickItem *focused = m_view->activeFocusItem();
        return focused ? focused->objectName() : QString();
    }
    // Presses Tab until the named item has the keyboard focus; false when it never does.
    bool tabTo(const QString &name, int presses = 40)
    {
        for (int n = 0; n < presses; ++n) {
            if (focusName() == name)
                return true;
            // A list holds the focus on its current row.
            if (QQuickItem *target = item(name); target && target->hasActiveFocus())
                return true;
            QTest::keyClick(m_view.get(), Qt::Key_Tab);
        }
        QQuickItem *target = item(name);
        return target && target->hasActiveFocus();
    }
    // Text arrives one character at a time, as from a keyboard layout without key codes.
    void type(const QString &text)
    {
        for (qsizetype n = 0; n < text.size(); ++n) {
            // A character outside the basic plane travels as its surrogate pair.
            const qsizetype length = text.at(n).isHighSurrogate() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, m_view.get(), Qt::Key_unknown, text.mid(n, length),
                                Qt::NoModifier);
            n += length - 1;
        }
    }

    std::unique_ptr<CommunityFixture> m_fixture;
    std::unique_ptr<QQuickView> m_view;
};

QTEST_MAIN(CommunityQmlTest)
#include "tst_communityqml.moc"
