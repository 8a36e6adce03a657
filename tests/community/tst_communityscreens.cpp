// The community view-models against the local service: both lists loaded together with one of
// them failing, join and leave, likes, posts, replies, new topics, and a stale reload that
// arrives after a newer one.

#include "awaittask.h"
#include "communityfixture.h"
#include "communitydetailviewmodel.h"
#include "communityviewmodel.h"
#include "servicestate.h"
#include "topicdetailviewmodel.h"

#include <QJsonArray>
#include <QtTest>

using namespace vexa;
using namespace vexa::test;

namespace {

const QString kTopics = QStringLiteral("/api/forum/topics");
const QString kGroups = QStringLiteral("/api/community/list");
const QString kFailed = QStringLiteral("Запрос не выполнен.");

// The seeded service: four topics and five groups.
constexpr int kSeedTopics = 4;
constexpr int kSeedGroups = 5;

QStringList topicTitles(const CommunityViewModel &view)
{
    QStringList titles;
    for (const auto &topic : view.topicList())
        titles << topic.title;
    return titles;
}

} // namespace

class CommunityScreensTest : public QObject
{
    Q_OBJECT

private:
    // A list page that has loaded the seeded lists once.
    static std::unique_ptr<CommunityViewModel> loadedList(CommunityFixture &f)
    {
        auto view = std::make_unique<CommunityViewModel>();
        view->setClient(f.client.get());
        if (!awaitVoid(view->load()))
            return nullptr;
        return view;
    }

    static std::unique_ptr<CommunityDetailViewModel> group(CommunityFixture &f,
                                                           const CommunityViewModel &list, int row)
    {
        auto view = std::make_unique<CommunityDetailViewModel>();
        view->setClient(f.client.get());
        view->setCommunityValue(list.communityAt(row));
        return view;
    }

    static std::unique_ptr<TopicDetailViewModel> topic(CommunityFixture &f,
                                                       const CommunityViewModel &list, int row)
    {
        auto view = std::make_unique<TopicDetailViewModel>();
        view->setClient(f.client.get());
        view->setTopicValue(list.topicAt(row));
        return view;
    }

private Q_SLOTS:
    void bothLists_data()
    {
        QTest::addColumn<int>("forumStatus"); // 0: the service's own reply
        QTest::addColumn<QByteArray>("forumBody");
        QTest::addColumn<int>("groupsStatus");
        QTest::addColumn<QByteArray>("groupsBody");
        QTest::addColumn<int>("topics");
        QTest::addColumn<int>("groups");
        QTest::addColumn<QString>("topicsMessage");
        QTest::addColumn<QString>("groupsMessage");
        QTest::addColumn<QString>("notice");

        const QByteArray oneTopic = R"({"ok":true,"topics":[{"id":9,"title":"Новая"}]})";
        const QByteArray oneGroup = R"({"ok":true,"communities":[{"id":9}]})";
        QTest::newRow("both answer") << 200 << oneTopic << 200 << oneGroup << 1 << 1 << ""
                                     << "" << "";
        QTest::newRow("forum fails: neither list changes")
            << 500 << QByteArray(R"({"ok":false,"error":"Форум недоступен."})") << 200 << oneGroup
            << kSeedTopics << kSeedGroups << "" << "" << "Форум недоступен.";
        QTest::newRow("groups fail: the topics still change")
            << 200 << oneTopic << 503 << QByteArray(R"({"ok":false,"error":"Группы недоступны."})")
            << 1 << kSeedGroups << "" << "" << "Группы недоступны.";
        QTest::newRow("forum undecodable")
            << 200 << QByteArray(R"({"ok":true,"topics":[{"id":"9","title":"x"}]})") << 200
            << oneGroup << kSeedTopics << kSeedGroups << "" << ""
            << "Не удалось прочитать ответ сервера. Повторите попытку.";
        QTest::newRow("forum says it failed")
            << 200 << QByteArray(R"({"ok":false})") << 200 << oneGroup << 0 << 1 << kFailed << ""
            << "";
        QTest::newRow("groups say they failed")
            << 200 << oneTopic << 200 << QByteArray(R"({"ok":false,"communities":[{"id":1}]})")
            << 1 << 0 << "" << kFailed << "";
        QTest::newRow("replies without lists are empty lists")
            << 200 << QByteArray(R"({"ok":true})") << 200 << QByteArray(R"({"ok":true})") << 0
            << 0 << "Тем пока нет." << "Групп пока нет." << "";
    }
    void bothLists()
    {
        QFETCH(int, forumStatus);
        QFETCH(QByteArray, forumBody);
        QFETCH(int, groupsStatus);
        QFETCH(QByteArray, groupsBody);
        QFETCH(int, topics);
        QFETCH(int, groups);
        QFETCH(QString, topicsMessage);
        QFETCH(QString, groupsMessage);
        QFETCH(QString, notice);

        CommunityFixture f;
        auto view = loadedList(f);
        QVERIFY(view);
        QCOMPARE(view->topicList().size(), kSeedTopics);
        QCOMPARE(view->communityList().size(), kSeedGroups);
        QVERIFY(!f.client->notice());

        f.script("GET", kTopics, forumStatus, forumBody);
        f.script("GET", kGroups, groupsStatus, groupsBody);
        VEXA_AWAIT_VOID(view->load());
        QCOMPARE(f.count(kTopics), 2);
        QCOMPARE(f.count(kGroups), 2); // asked even when the forum's reply fails
        QCOMPARE(view->topicList().size(), topics);
        QCOMPARE(view->topics()->count(), topics);
        QCOMPARE(view->communityList().size(), groups);
        QCOMPARE(view->communities()->count(), groups);
        QCOMPARE(view->topicsMessage(), topicsMessage);
        QCOMPARE(view->communitiesMessage(), groupsMessage);
        QCOMPARE(f.client->noticeText(), notice);
        QVERIFY(!view->loading());
    }

    // Both requests are out before either reply is read.
    void listsLoadTogether()
    {
        CommunityFixture f;
        // The delays and the bound stretch alike (VEXA_TIMEOUT_SCALE).
        f.script("GET", kTopics, 200, R"({"ok":true,"topics":[]})", vexa::test::scaledMs(300));
        f.script("GET", kGroups, 200, R"({"ok":true,"communities":[]})", vexa::test::scaledMs(300));
        CommunityViewModel view;
        view.setClient(f.client.get());
        QElapsedTimer timer;
        timer.start();
        VEXA_AWAIT_VOID(view.load());
        QVERIFY2(timer.elapsed() < vexa::test::scaledMs(550), "the second list waited for the first");
        QCOMPARE(view.topicsMessage(), QStringLiteral("Тем пока нет."));
    }

    void staleListReloadArrivingLast()
    {
        CommunityFixture f;
        CommunityViewModel view;
        view.setClient(f.client.get());
        f.script("GET", kTopics, 200,
                 R"({"ok":true,"topics":[{"id":1,"title":"Старая"},{"id":2,"title":"Тоже"}]})",
                 400, 1);
        f.script("GET", kTopics, 200, R"({"ok":true,"topics":[{"id":3,"title":"Свежая"}]})", 0,
                 1);
        auto older = view.load();
        auto newer = view.load();
        VEXA_AWAIT_VOID(std::move(newer));
        QCOMPARE(topicTitles(view), QStringList{QStringLiteral("Свежая")});
        QVERIFY(!view.loading());
        VEXA_AWAIT_VOID(std::move(older));
        QCOMPARE(topicTitles(view), QStringList{QStringLiteral("Свежая")});
        QCOMPARE(view.communityList().size(), kSeedGroups);
    }

    void newTopic_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("two letters and spaces") << " аб  " << false;
        QTest::newRow("three letters with spaces") << "  Где найти экспорт?\t" << true;
    }
    void newTopic()
    {
        QFETCH(QString, title);
        QFETCH(bool, enabled);
        CommunityFixture f;
        auto view = loadedList(f);
        QVERIFY(view);
        view->beginCreate();
        view->setNewTitle(title);
        view->setNewBody(QStringLiteral("Первое сообщение 🙂"));
        QCOMPARE(view->canCreate(), enabled);
        view->create();
        if (!enabled) {
            QTest::qWait(vexa::test::scaledMs(100));
            QCOMPARE(f.count(QStringLiteral("/api/forum/topic")), 0);
            return;
        }
        QVERIFY(view->creating());
        QVERIFY(!view->canCreate()); // a second press sends nothing
        view->create();
        QVERIFY(waitUntil([&] { return !view->showingCreate(); }));
        QVERIFY(waitUntil([&] { return view->topicList().size() == kSeedTopics + 1; }));
        QCOMPARE(f.count(QStringLiteral("/api/forum/topic")), 1);
        const QJsonObject sent = f.lastBody(QStringLiteral("/api/forum/topic"));
        QCOMPARE(sent.value("title").toString(), title); // exactly as typed
        QCOMPARE(sent.value("body").toString(), QStringLiteral("Первое сообщение 🙂"));
        QCOMPARE(view->topicList().first().title, title);
        QCOMPARE(view->newTitle(), QString());
        QCOMPARE(view->newBody(), QString());
        QVERIFY(!f.client->notice());
    }

    void newTopicFailureKeepsTheForm()
    {
        CommunityFixture f;
        auto view = loadedList(f);
        QVERIFY(view);
        f.script("POST", QStringLiteral("/api/forum/topic"), 500,
                 R"({"ok":false,"error":"Форум на обслуживании."})");
        view->beginCreate();
        view->setNewTitle(QStringLiteral("Вопрос про лимиты"));
        view->setNewBody(QStringLiteral("Сколько запросов в день?"));
        VEXA_AWAIT_VOID(view->runCreate());
        QCOMPARE(f.client->noticeText(), QStringLiteral("Форум на обслуживании."));
        QVERIFY(view->showingCreate());
        QCOMPARE(view->newTitle(), QStringLiteral("Вопрос про лимиты"));
        QCOMPARE(view->newBody(), QStringLiteral("Сколько запросов в день?"));
        QCOMPARE(f.count(kTopics), 1); // no reload after a failure
        view->cancelCreate();
        QVERIFY(!view->showingCreate());
        QCOMPARE(view->newTitle(), QStringLiteral("Вопрос про лимиты"));
    }

    // The list's row says "member"; only the group's own detail may say so.
    void membershipFollowsTheDetail()
    {
        CommunityFixture f;
        auto list = loadedList(f);
        QVERIFY(list);
        f.script("GET", QStringLiteral("/api/community/1"), 200,
                 R"({"ok":true,"community":{"id":1,"is_member":false},"posts":[]})", 0, 1);
        auto view = group(f, *list, 0);
        QVERIFY(list->communityList().at(0).isMember.value_or(false));
        QVERIFY(!view->isMember());
        QCOMPARE(view->membershipLabel(), QStringLiteral("Вступить"));
        VEXA_AWAIT_VOID(view->load());
        QVERIFY(!view->isMember());
        VEXA_AWAIT_VOID(view->load()); // the service's own reply now
        QVERIFY(view->isMember());
        QCOMPARE(view->membershipLabel(), QStringLiteral("Выйти"));
    }

    void joinAndLeave()
    {
        CommunityFixture f;
        auto list = loadedList(f);
        QVERIFY(list);
        auto view = group(f, *list, 1); // "Дизайн с ИИ 🎨", not joined
        VEXA_AWAIT_VOID(view->load());
        QVERIFY(!view->isMember());
        QVERIFY(!view->canSend());
        QCOMPARE(view->membersText(), QStringLiteral("Участников: 642"));

        VEXA_AWAIT_VOID(view->runMembership());
        QCOMPARE(f.count(QStringLiteral("/api/community/2/join")), 1);
        QCOMPARE(f.lastBody(QStringLiteral("/api/community/2/join")), QJsonObject());
        QVERIFY(view->isMember());
        QCOMPARE(view->membersText(), QStringLiteral("Участников: 643"));

        // Text typed before leaving is still there after rejoining.
        view->setDraft(QStringLiteral("Черновик"));
        VEXA_AWAIT_VOID(view->runMembership());
        QCOMPARE(f.count(QStringLiteral("/api/community/2/leave")), 1);
        QVERIFY(!view->isMember());
        QVERIFY(!view->canSend());
        VEXA_AWAIT_VOID(view->runMembership());
        QVERIFY(view->isMember());
        QCOMPARE(view->draft(), QStringLiteral("Черновик"));
        QVERIFY(view->canSend());
    }

    void membershipFailureIsReported()
    {
        CommunityFixture f;
        auto list = loadedList(f);
        QVERIFY(list);
        auto view = group(f, *list, 1);
        VEXA_AWAIT_VOID(view->load());
        f.script("POST", QStringLiteral("/api/community/2/join"), 200,
                 R"({"ok":false,"error":"Группа закрыта для новых участников."})");
        VEXA_AWAIT_VOID(view->runMembership());
        QCOMPARE(f.client->noticeText(), QStringLiteral("Группа закрыта для новых участников."));
        QVERIFY(!view->isMember());
        QCOMPARE(f.count(QStringLiteral("/api/community/2")), 1); // no reload
    }

    void likeCountsEveryPress()
    {
        CommunityFixture f;
        auto list = loadedList(f);
        QVERIFY(list);
        auto view = group(f, *list, 0);
        VEXA_AWAIT_VOID(view->load());
        QCOMPARE(view->postList().at(0).id, 11);
        QCOMPARE(view->posts()->value(0, "likes").toString(), QStringLiteral("♡ 42"));
        auto first = view->runLike(11);
        auto second = view->runLike(11);
        VEXA_AWAIT_VOID(std::move(first));
        VEXA_AWAIT_VOID(std::move(second));
        QCOMPARE(f.count(QStringLiteral("/api/community/post/11/like")), 2);
        QCOMPARE(view->posts()->value(0, "likes").toString(), QStringLiteral("♡ 44"));
    }

    void staleGroupReloadArrivingLast()
    {
        CommunityFixture f;
        auto list = loadedList(f);
        QVERIFY(list);
        auto view = group(f, *list, 1);
        const QString path = QStringLiteral("/api/community/2");
        f.script("GET", path, 200,
                 R"({"ok":true,"community":{"id":2,"is_member":false,"members_count":642},"posts":[{"id":21,"content":"x","total_likes":1}]})",
                 400, 1);
        f.script("GET", path, 200,
                 R"({"ok":true,"community":{"id":2,"is_member":true,"members_count":643},"posts":[{"id":21,"content":"x","total_likes":2}]})",
                 0, 1);
        auto older = view->load();
        auto newer = view->load();
        VEXA_AWAIT_VOID(std::move(newer));
        VEXA_AWAIT_VOID(std::move(older));
        QVERIFY(view->isMember());
        QCOMPARE(view->membersText(), QStringLiteral("Участников: 643"));
        QCOMPARE(view->posts()->value(0, "likes").toString(), QStringLiteral("♡ 2"));
    }

    void groupPost_data()
    {
        QTest::addColumn<bool>("anonymous");
        QTest::addColumn<QString>("author");
        QTest::newRow("signed") << false << "@demo";
        QTest::newRow("anonymous") << true << "Анонимно";
    }
    void groupPost()
    {
        QFETCH(bool, anonymous);
        QFETCH(QString, author);
        CommunityFixture f;
        f.service.state().username = QStringLiteral("demo");
        auto list = loadedList(f);
        QVERIFY(list);
        auto view = group(f, *list, 0);
        VEXA_AWAIT_VOID(view->load());
        const qsizetype before = view->postList().size();
        view->setDraft(QStringLiteral("  Всем привет 👋\n"));
        view->setAnonymous(anonymous);
        VEXA_AWAIT_VOID(view->runSend());
        const QJsonObject sent = f.lastBody(QStringLiteral("/api/community/1/post"));
        QCOMPARE(sent.value("content").toString(), QStringLiteral("  Всем привет 👋\n"));
        QVERIFY(sent.value("is_anonymous").isBool());
        QCOMPARE(sent.value("is_anonymous").toBool(), anonymous);
        QCOMPARE(view->postList().size(), before + 1);
        QCOMPARE(view->posts()->value(0, "author").toString(), author);
        QCOMPARE(view->draft(), QString());
        QCOMPARE(view->anonymous(), anonymous); // the switch keeps its value
    }

    void groupPostFailureKeepsTheDraft()
    {
        CommunityFixture f;
        auto list = loadedList(f);
        QVERIFY(list);
        auto view = group(f, *list, 0);
        VEXA_AWAIT_VOID(view->load());
        f.script("POST", QStringLiteral("/api/community/1/post"), 403,
                 R"({"ok":false,"error":"Писать в группу могут только её участники."})");
        view->setDraft(QStringLiteral("Не пропади"));
        VEXA_AWAIT_VOID(view->runSend());
        QCOMPARE(f.client->noticeText(), QStringLiteral("Писать в группу могут только её участники."));
        QCOMPARE(view->draft(), QStringLiteral("Не пропади"));
        QVERIFY(view->canSend());
    }

    void reply()
    {
        CommunityFixture f;
        auto list = loadedList(f);
        QVERIFY(list);
        auto view = topic(f, *list, 0); // three posts
        VEXA_AWAIT_VOID(view->load());
        QCOMPARE(view->postList().size(), 3);
        QVERIFY(view->acceptsReplies());
        view->setReply(QStringLiteral(" \t "));
        QVERIFY(!view->canReply());
        view->setReply(QStringLiteral("  Спасибо, помогло!  "));
        QVERIFY(view->canReply());
        view->sendReply();
        QVERIFY(view->busy());
        view->sendReply(); // a double press sends once
        QVERIFY(waitUntil([&] { return !view->busy(); }));
        QCOMPARE(f.count(QStringLiteral("/api/forum/topic/1/reply")), 1);
        QCOMPARE(f.lastBody(QStringLiteral("/api/forum/topic/1/reply")).value("body").toString(),
                 QStringLiteral("  Спасибо, помогло!  "));
        QCOMPARE(view->postList().size(), 4);
        QCOMPARE(view->postList().last().body, QStringLiteral("  Спасибо, помогло!  "));
        QCOMPARE(view->reply(), QString());
    }

    void replyFailureAndTextTypedMeanwhile_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("typedMeanwhile"); // empty: nothing typed
        QTest::addColumn<QString>("expected");
        QTest::newRow("failure keeps the reply") << 500 << "" << "Первый ответ";
        QTest::newRow("text typed while it travels stays") << 200 << "Второй ответ"
                                                           << "Второй ответ";
    }
    void replyFailureAndTextTypedMeanwhile()
    {
        QFETCH(int, status);
        QFETCH(QString, typedMeanwhile);
        QFETCH(QString, expected);
        CommunityFixture f;
        auto list = loadedList(f);
        QVERIFY(list);
        auto view = topic(f, *list, 0);
        f.script("POST", QStringLiteral("/api/forum/topic/1/reply"), status,
                 status == 200 ? QByteArray(R"({"ok":true})")
                               : QByteArray(R"({"ok":false,"error":"Не получилось."})"),
                 200);
        view->setReply(QStringLiteral("Первый ответ"));
        view->sendReply();
        if (!typedMeanwhile.isEmpty())
            view->setReply(typedMeanwhile);
        QVERIFY(waitUntil([&] { return !view->busy(); }));
        QCOMPARE(view->reply(), expected);
        QCOMPARE(f.client->noticeText(), status == 200 ? QString() : QStringLiteral("Не получилось."));
    }

    void lockedTopicTakesNoReply()
    {
        CommunityFixture f;
        auto list = loadedList(f);
        QVERIFY(list);
        auto view = topic(f, *list, 1); // "Правила форума"
        VEXA_AWAIT_VOID(view->load());
        QCOMPARE(view->postList().size(), 1);
        QVERIFY(!view->acceptsReplies());
        view->setReply(QStringLiteral("Можно вопрос?"));
        QVERIFY(!view->canReply());
        VEXA_AWAIT_VOID(view->runReply());
        QCOMPARE(f.count(QStringLiteral("/api/forum/topic/2/reply")), 0);
    }

    void topicFailureKeepsPosts()
    {
        CommunityFixture f;
        auto list = loadedList(f);
        QVERIFY(list);
        auto view = topic(f, *list, 0);
        VEXA_AWAIT_VOID(view->load());
        f.script("GET", QStringLiteral("/api/forum/topic/1"), 200,
                 R"({"ok":true,"posts":[{"id":1,"body":5}]})", 0, 1);
        VEXA_AWAIT_VOID(view->load());
        QCOMPARE(view->postList().size(), 3);
        QVERIFY(f.client->notice());
        f.script("GET", QStringLiteral("/api/forum/topic/1"), 200, R"({"ok":false})", 0, 1);
        VEXA_AWAIT_VOID(view->load());
        QCOMPARE(view->postList().size(), 0);
        QCOMPARE(view->postsMessage(), kFailed);
    }
};

QTEST_GUILESS_MAIN(CommunityScreensTest)
#include "tst_communityscreens.moc"
