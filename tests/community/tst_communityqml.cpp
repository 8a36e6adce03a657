// The community section driven like a person at a desk, offscreen and against the local
// service: Tab reaches every row and control, Enter opens a topic or a group and sends a
// reply, Esc goes back, F5 reloads, the new-topic dialog works without the mouse.

#include "awaittask.h"
#include "communitydetailviewmodel.h"
#include "communityfixture.h"
#include "communityviewmodel.h"
#include "quickscreen.h"
#include "topicdetailviewmodel.h"

#include <QAccessible>
#include <QJsonArray>
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

int countItems(QQuickItem *root, const QString &prefix)
{
    if (!root)
        return 0;
    int count = root->objectName().startsWith(prefix) ? 1 : 0;
    const auto children = root->childItems();
    for (QQuickItem *child : children)
        count += countItems(child, prefix);
    return count;
}

QString likePath(qint64 post)
{
    return QStringLiteral("/api/community/post/%1/like").arg(post);
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
        m_view = openScreen(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Content/CommunityView.qml")),
                            {900, 700});
        QVERIFY(m_view);
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
        // The list shows it too (the rows above it were replaced, not left behind).
        QVERIFY(waitUntil([this] {
            QQuickItem *row = item(QStringLiteral("topicRow0"));
            return row && row->property("headline").toString() == QStringLiteral("абв 🙂");
        }));
        QCOMPARE(item(QStringLiteral("topicRow4"))->property("headline").toString(),
                 QStringLiteral("Голосовой режим не слышит микрофон"));
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

    // A click into a post's text gives that text the focus: Return there likes that post, no
    // other, and the click made it the list's current post; the arrows move the current post
    // and the focus together. Pressing again sends another like, as every press does.
    void enterLikesThePostWithTheFocus()
    {
        CommunityDetailViewModel *group = openGroup(0);
        QVERIFY(group);
        QVERIFY(waitUntil([group] { return group->postList().size() == 4; }));
        QQuickItem *text = item(QStringLiteral("postText2"));
        QVERIFY(text);
        const QPointF at = text->mapToScene(QPointF(24, text->height() / 2));
        QVERIFY(at.y() > 0 && at.y() < m_view->height());
        QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, at.toPoint());
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([&] {
            return m_fixture->count(likePath(13)) + m_fixture->count(likePath(11)) > 0;
        }));
        QCOMPARE(m_fixture->count(likePath(13)), 1);
        // The count shown after the reload is the service's.
        QVERIFY(waitUntil([group] {
            return group->posts()->value(2, "likes").toString() == QStringLiteral("♡ 119");
        }));
        for (const qint64 other : {11, 12, 14})
            QCOMPARE(m_fixture->count(likePath(other)), 0);
        QVERIFY(text->hasActiveFocus());
        QQuickItem *posts = item(QStringLiteral("groupPosts"));
        QCOMPARE(posts->property("currentIndex").toInt(), 2);

        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([&] { return m_fixture->count(likePath(13)) == 2; }));

        QTest::keyClick(m_view.get(), Qt::Key_Down);
        QCOMPARE(posts->property("currentIndex").toInt(), 3);
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([&] { return m_fixture->count(likePath(14)) == 1; }));
        QCOMPARE(m_fixture->count(likePath(13)), 2);
        QCOMPARE(m_fixture->count(likePath(11)), 0);
    }

    // Hundreds of topics open at once: the list creates the rows in sight, and Tab and the
    // arrows still go row by row past the fold, the list following the focus.
    void hundredsOfTopics()
    {
        constexpr int kTopics = 300;
        QJsonArray topics;
        for (int n = 0; n < kTopics; ++n)
            topics.append(QJsonObject{{QStringLiteral("id"), 5000 + n},
                                      {QStringLiteral("title"), QStringLiteral("Тема №%1").arg(n)},
                                      {QStringLiteral("posts_count"), n}});
        m_fixture->script("GET", QStringLiteral("/api/forum/topics"), 200,
                          QJsonDocument(QJsonObject{{QStringLiteral("ok"), true},
                                                    {QStringLiteral("topics"), topics}})
                              .toJson(QJsonDocument::Compact));
        QTest::keyClick(m_view.get(), Qt::Key_F5);
        QVERIFY(waitUntil([this] { return list()->topicList().size() == kTopics; }));
        QVERIFY(waitUntil([this] { return item(QStringLiteral("topicRow0")) != nullptr; }));
        const auto created = [this] { return countItems(m_view->contentItem(), QStringLiteral("topicRow")); };
        QVERIFY2(created() > 0 && created() < 40, qPrintable(QString::number(created())));

        QVERIFY(tabTo(QStringLiteral("newTopicButton")));
        for (int n = 0; n < 40; ++n)
            QTest::keyClick(m_view.get(), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("topicRow39"));
        QVERIFY(inSight(QStringLiteral("topicRow39")));
        for (int n = 0; n < 100; ++n)
            QTest::keyClick(m_view.get(), Qt::Key_Down);
        QCOMPARE(focusName(), QStringLiteral("topicRow139"));
        QVERIFY(inSight(QStringLiteral("topicRow139")));
        QTest::keyClick(m_view.get(), Qt::Key_Up);
        QTest::keyClick(m_view.get(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(focusName(), QStringLiteral("topicRow137"));
        QVERIFY(created() < 60);

        // Past the last topic the groups card follows (its header takes no focus); after the
        // last group Tab leaves the list.
        for (int n = 137; n < kTopics; ++n)
            QTest::keyClick(m_view.get(), Qt::Key_Down);
        QCOMPARE(focusName(), QStringLiteral("communityRow0"));
        QVERIFY2(inSight(QStringLiteral("communityRow0")), qPrintable(where(QStringLiteral("communityRow0"))));
        for (int n = 0; n < 4; ++n)
            QTest::keyClick(m_view.get(), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("communityRow4"));
        QTest::keyClick(m_view.get(), Qt::Key_Down); // the arrows stop at the end
        QCOMPARE(focusName(), QStringLiteral("communityRow4"));
        QTest::keyClick(m_view.get(), Qt::Key_Tab);
        QVERIFY(focusName() != QStringLiteral("communityRow4"));
        QVERIFY2(!focusName().startsWith(QStringLiteral("topicRow")), qPrintable(focusName()));

        // A row far down opens its own topic.
        QVERIFY(tabTo(QStringLiteral("newTopicButton")));
        for (int n = 0; n < 251; ++n)
            QTest::keyClick(m_view.get(), Qt::Key_Down);
        QCOMPARE(focusName(), QStringLiteral("topicRow250"));
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([this] { return depth() == 2; }));
        auto *topic = page()->property("viewModel").value<TopicDetailViewModel *>();
        QCOMPARE(topic->title(), QStringLiteral("Тема №250"));
    }

    // Four lines of a long description, and a way to read the rest from the keyboard; a short
    // one has no such button.
    void descriptionToggle_data()
    {
        QTest::addColumn<bool>("longText");
        QTest::newRow("long") << true;
        QTest::newRow("short") << false;
    }
    void descriptionToggle()
    {
        QFETCH(bool, longText);
        if (longText) {
            QString description;
            for (int n = 1; n <= 30; ++n)
                description += QStringLiteral("Предложение номер %1 о жизни группы. ").arg(n);
            m_fixture->script("GET", QStringLiteral("/api/community/1"), 200,
                              QJsonDocument(QJsonObject{
                                  {QStringLiteral("ok"), true},
                                  {QStringLiteral("community"),
                                   QJsonObject{{QStringLiteral("id"), 1},
                                               {QStringLiteral("description"), description},
                                               {QStringLiteral("is_member"), true}}},
                                  {QStringLiteral("posts"), QJsonArray()}})
                                  .toJson(QJsonDocument::Compact));
        }
        CommunityDetailViewModel *group = openGroup(0);
        QVERIFY(group);
        QVERIFY(waitUntil([group] { return group->detail().has_value(); }));
        QQuickItem *toggle = item(QStringLiteral("descriptionToggle"));
        QVERIFY(toggle);
        if (!longText) {
            QTest::qWait(50); // a layout pass after the load
            QVERIFY(!toggle->isVisible());
            QVERIFY(!tabTo(QStringLiteral("descriptionToggle"), 12));
            return;
        }
        QVERIFY(waitUntil([toggle] { return toggle->isVisible(); }));
        QCOMPARE(toggle->property("text").toString(), QStringLiteral("Показать полностью"));
        QCOMPARE(QAccessible::queryAccessibleInterface(toggle)->text(QAccessible::Name),
                 QStringLiteral("Показать полностью"));
        QVERIFY(tabTo(QStringLiteral("descriptionToggle")));
        QTest::keyClick(m_view.get(), Qt::Key_Space);
        QCOMPARE(toggle->property("text").toString(), QStringLiteral("Свернуть"));
        QQuickItem *full = item(QStringLiteral("descriptionFull"));
        QVERIFY(full->isVisible());
        QVERIFY2(waitUntil([full] { return full->property("lineCount").toInt() > 4; }),
                 qPrintable(QStringLiteral("%1 lines, %2 wide").arg(full->property("lineCount").toInt()).arg(full->width())));
        QVERIFY(!item(QStringLiteral("descriptionFolded"))->isVisible());
        QTest::keyClick(m_view.get(), Qt::Key_Space);
        QCOMPARE(toggle->property("text").toString(), QStringLiteral("Показать полностью"));
        QVERIFY(item(QStringLiteral("descriptionFolded"))->isVisible());
    }

    // A group row reads as sentences with no doubled period; the dates of group posts and
    // forum replies reach screen readers.
    void accessibleNames()
    {
        QVERIFY(waitUntil([this] { return item(QStringLiteral("communityRow0")) != nullptr; }));
        QStringList names = shown();
        QVERIFY2(names.contains(QStringLiteral(
                     "Клуб промпт-инженеров. Делимся удачными запросами, разбираем неудачные и "
                     "учимся ставить нейросети задачи так, чтобы с первого раза получалось то, "
                     "что нужно. Участников: 1284")),
                 qPrintable(names.join(QLatin1Char('\n'))));
        QVERIFY(!anyContains(names, QStringLiteral("..")));

        QVERIFY(tabTo(QStringLiteral("topicRow0")));
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QVERIFY(waitUntil([this] { return depth() == 2; }));
        auto *topic = page()->property("viewModel").value<TopicDetailViewModel *>();
        QVERIFY(waitUntil([topic] { return topic->postList().size() == 3; }));
        QVERIFY(waitUntil([this] { return item(QStringLiteral("topicPosts"))->property("count").toInt() == 3; }));
        names = shown();
        QVERIFY2(anyContains(names, QStringLiteral("Андрей: Нашёл, спасибо! 🙏. 6 дек. 2026, 20:05")),
                 qPrintable(names.join(QLatin1Char('\n'))));
        QTest::keyClick(m_view.get(), Qt::Key_Escape);
        QVERIFY(waitUntil([this] { return depth() == 1; }));

        CommunityDetailViewModel *group = openGroup(0);
        QVERIFY(waitUntil([group] { return group->postList().size() == 4; }));
        names = shown();
        QVERIFY2(anyContains(names, QStringLiteral("6 дек. 2026, 21:14. ♡ 42")),
                 qPrintable(names.join(QLatin1Char('\n'))));
        QVERIFY(!anyContains(names, QStringLiteral("..")));
    }

private:
    QStringList shown() const { return shownToScreenReaders(*m_view); }
    QString where(const QString &name) const
    {
        QQuickItem *target = item(name);
        QQuickItem *view = item(QStringLiteral("communityFront"));
        if (!target || !view)
            return QStringLiteral("missing");
        const QRectF box = target->mapRectToItem(view, target->boundingRect());
        return QStringLiteral("%1..%2 in %3").arg(box.top()).arg(box.bottom()).arg(view->height());
    }
    // The named item lies wholly inside the list that holds it.
    bool inSight(const QString &name) const
    {
        QQuickItem *target = item(name);
        QQuickItem *view = item(QStringLiteral("communityFront"));
        if (!target || !view)
            return false;
        const QRectF box = target->mapRectToItem(view, target->boundingRect());
        return box.top() >= 0 && box.bottom() <= view->height();
    }
    CommunityDetailViewModel *openGroup(int row)
    {
        if (!tabTo(QStringLiteral("communityRow%1").arg(row)))
            return nullptr;
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        // The page slides in: wait until it has arrived, so clicks land where they aim.
        if (!waitUntil([this] { return depth() == 2 && !stack()->property("busy").toBool(); }))
            return nullptr;
        return page()->property("viewModel").value<CommunityDetailViewModel *>();
    }
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
    void type(const QString &text) { typeText(m_view.get(), text); }

    std::unique_ptr<CommunityFixture> m_fixture;
    std::unique_ptr<QQuickView> m_view;
};

QTEST_MAIN(CommunityQmlTest)
#include "tst_communityqml.moc"
