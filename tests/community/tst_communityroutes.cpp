// The local service's community and forum routes over real loopback HTTP: every reply decodes
// strictly as the record the client reads, changes persist for the service's lifetime, and
// paths take decimal identifiers only.

#include "httpclient.h"

#include "catalogrecords.h"
#include "chatrecords.h"
#include "localservice.h"
#include "servicestate.h"

#include <QtTest>

using namespace vexa;
using namespace vexa::service;
using vexa::test::HttpClient;
using vexa::test::HttpResult;

namespace {

template <typename T>
std::optional<T> decode(const HttpResult &result)
{
    auto decoded = records::decodeJson<T>(result.body);
    if (!decoded)
        return std::nullopt;
    return *decoded;
}

const VexaCommunity *findGroup(const CommunitiesResponse &reply, qint64 id)
{
    for (const VexaCommunity &group : *reply.communities) {
        if (group.id == id)
            return &group;
    }
    return nullptr;
}

} // namespace

class CommunityRoutesTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LocalService> service;

    std::unique_ptr<HttpClient> signedIn()
    {
        auto c = std::make_unique<HttpClient>(service->baseUrl());
        c->setCookie(LocalService::cookieName(), service->createSession());
        return c;
    }

private Q_SLOTS:
    void init()
    {
        service = std::make_unique<LocalService>();
        QVERIFY(service->listen());
    }
    void cleanup() { service.reset(); }

    void seededListsDecode()
    {
        auto c = signedIn();
        const auto groups = decode<CommunitiesResponse>(c->get("/api/community/list"));
        QVERIFY(groups && groups->ok && groups->communities);
        QVERIFY(groups->communities->size() >= 4);
        int joined = 0;
        bool untitled = false;
        for (const VexaCommunity &group : *groups->communities) {
            joined += group.isMember.value_or(false) ? 1 : 0;
            untitled = untitled || (!group.title && !group.name);
            QVERIFY(group.membersCount);
        }
        QVERIFY(joined > 0 && joined < groups->communities->size());
        QVERIFY(untitled);

        const auto topics = decode<ForumListResponse>(c->get("/api/forum/topics"));
        QVERIFY(topics && topics->ok && topics->topics);
        QVERIFY(std::any_of(topics->topics->begin(), topics->topics->end(),
                            [](const VexaForumTopic &t) { return t.isLocked.value_or(false); }));
        for (const VexaForumTopic &topic : *topics->topics) {
            const auto detail = decode<ForumTopicResponse>(
                c->get("/api/forum/topic/" + QString::number(topic.id)));
            QVERIFY(detail && detail->ok && detail->posts);
            QCOMPARE(qint64(detail->posts->size()), topic.postsCount.value_or(-1));
        }
        for (const VexaCommunity &group : *groups->communities) {
            const auto detail = decode<CommunityDetailResponse>(
                c->get("/api/community/" + QString::number(group.id)));
            QVERIFY(detail && detail->ok && detail->community && detail->posts);
            for (const VexaCommunityPost &post : *detail->posts) {
                // An anonymous post does not give its author away.
                if (post.isAnonymous == 1)
                    QVERIFY(!post.username && !post.firstName);
            }
        }
    }

    void routesNeedASession_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::newRow("groups") << QByteArray("GET") << "/api/community/list";
        QTest::newRow("group") << QByteArray("GET") << "/api/community/1";
        QTest::newRow("join") << QByteArray("POST") << "/api/community/2/join";
        QTest::newRow("like") << QByteArray("POST") << "/api/community/post/11/like";
        QTest::newRow("topics") << QByteArray("GET") << "/api/forum/topics";
        QTest::newRow("reply") << QByteArray("POST") << "/api/forum/topic/1/reply";
    }
    void routesNeedASession()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        HttpClient c(service->baseUrl());
        const HttpResult result = c.send(method, path, method == "POST" ? "{}" : QByteArray());
        QCOMPARE(result.status, 401);
    }

    // Identifiers are decimal numbers; anything else is not a path of these routes.
    void identifiers_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::newRow("unknown group") << QByteArray("GET") << "/api/community/999" << 404;
        QTest::newRow("unknown topic") << QByteArray("GET") << "/api/forum/topic/999" << 404;
        QTest::newRow("name instead of id") << QByteArray("GET") << "/api/community/abc" << 404;
        QTest::newRow("encoded slash") << QByteArray("GET") << "/api/forum/topic/1%2Freply" << 404;
        QTest::newRow("negative id") << QByteArray("GET") << "/api/forum/topic/-1" << 404;
        QTest::newRow("unknown post like") << QByteArray("POST")
                                           << "/api/community/post/424242/like" << 404;
        QTest::newRow("join unknown group") << QByteArray("POST") << "/api/community/77/join"
                                            << 404;
    }
    void identifiers()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(int, status);
        auto c = signedIn();
        const HttpResult result = c->send(method, path, method == "POST" ? "{}" : QByteArray());
        QCOMPARE(result.status, status);
        QCOMPARE(result.json().value("ok"), QJsonValue(false));
    }

    void joinAndLeavePersist()
    {
        auto c = signedIn();
        auto before = decode<CommunitiesResponse>(c->get("/api/community/list"));
        QVERIFY(before);
        const VexaCommunity *group = findGroup(*before, 2);
        QVERIFY(group && !group->isMember.value_or(false));
        const qint64 members = group->membersCount.value_or(0);

        QCOMPARE(c->postJson("/api/community/2/join", {}).status, 200);
        QCOMPARE(c->postJson("/api/community/2/join", {}).status, 200); // twice: still one
        auto detail = decode<CommunityDetailResponse>(c->get("/api/community/2"));
        QVERIFY(detail && detail->community);
        QVERIFY(detail->community->isMember.value_or(false));
        QCOMPARE(detail->community->membersCount.value_or(0), members + 1);
        auto listed = decode<CommunitiesResponse>(c->get("/api/community/list"));
        QVERIFY(findGroup(*listed, 2)->isMember.value_or(false));

        QCOMPARE(c->postJson("/api/community/2/leave", {}).status, 200);
        detail = decode<CommunityDetailResponse>(c->get("/api/community/2"));
        QVERIFY(!detail->community->isMember.value_or(true));
        QCOMPARE(detail->community->membersCount.value_or(0), members);
    }

    void postsNeedMembership_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::newRow("member") << "1" << QByteArray(R"({"content":"Привет 👋","is_anonymous":false})") << 200;
        QTest::newRow("not a member") << "2" << QByteArray(R"({"content":"Привет","is_anonymous":false})") << 403;
        QTest::newRow("blank") << "1" << QByteArray(R"({"content":" \n ","is_anonymous":false})") << 400;
        QTest::newRow("flag as number") << "1" << QByteArray(R"({"content":"x","is_anonymous":1})") << 400;
        QTest::newRow("not JSON") << "1" << QByteArray("content=x") << 400;
    }
    void postsNeedMembership()
    {
        QFETCH(QString, group);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        auto c = signedIn();
        const auto before = decode<CommunityDetailResponse>(c->get("/api/community/" + group));
        QVERIFY(before);
        const HttpResult result = c->send("POST", "/api/community/" + group + "/post", body);
        QCOMPARE(result.status, status);
        const auto after = decode<CommunityDetailResponse>(c->get("/api/community/" + group));
        QCOMPARE(after->posts->size(), before->posts->size() + (status == 200 ? 1 : 0));
    }

    void anonymousPostHidesTheAuthor()
    {
        service->state().username = QStringLiteral("demo");
        auto c = signedIn();
        QCOMPARE(c->send("POST", "/api/community/1/post",
                         R"({"content":"Секрет","is_anonymous":true})").status, 200);
        const auto detail = decode<CommunityDetailResponse>(c->get("/api/community/1"));
        QVERIFY(detail);
        const VexaCommunityPost &post = detail->posts->first();
        QCOMPARE(post.content, QStringLiteral("Секрет"));
        QCOMPARE(post.isAnonymous, 1);
        QVERIFY(!post.username);
        QVERIFY(post.createdAt && !post.createdAt->isEmpty());
    }

    void everyLikeCounts()
    {
        auto c = signedIn();
        const auto likes = [&] {
            const auto detail = decode<CommunityDetailResponse>(c->get("/api/community/1"));
            for (const VexaCommunityPost &post : *detail->posts) {
                if (post.id == 11)
                    return post.totalLikes.value_or(-1);
            }
            return qint64(-1);
        };
        const qint64 before = likes();
        QCOMPARE(c->postJson("/api/community/post/11/like", {}).status, 200);
        QCOMPARE(c->postJson("/api/community/post/11/like", {}).status, 200);
        QCOMPARE(likes(), before + 2);
    }

    void newTopic_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("posts");
        QTest::newRow("with a first message")
            << QByteArray(R"({"title":"Экспорт в PDF 📄","body":"Как выгрузить диалог?"})") << 200
            << 1;
        QTest::newRow("without a first message") << QByteArray(R"({"title":"Вопрос","body":""})")
                                                 << 200 << 0;
        QTest::newRow("short title") << QByteArray(R"({"title":"  аб ","body":"x"})") << 400 << 0;
        QTest::newRow("no body key") << QByteArray(R"({"title":"Вопрос"})") << 400 << 0;
    }
    void newTopic()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(int, posts);
        auto c = signedIn();
        const auto before = decode<ForumListResponse>(c->get("/api/forum/topics"));
        const HttpResult result = c->send("POST", "/api/forum/topic", body);
        QCOMPARE(result.status, status);
        QVERIFY(decode<VexaResponse>(result));
        const auto after = decode<ForumListResponse>(c->get("/api/forum/topics"));
        if (status != 200) {
            QCOMPARE(after->topics->size(), before->topics->size());
            return;
        }
        QCOMPARE(after->topics->size(), before->topics->size() + 1);
        const VexaForumTopic &created = after->topics->first();
        QCOMPARE(created.title, QJsonDocument::fromJson(body).object().value("title").toString());
        QCOMPARE(created.postsCount.value_or(-1), posts);
        const auto detail = decode<ForumTopicResponse>(
            c->get("/api/forum/topic/" + QString::number(created.id)));
        QCOMPARE(detail->posts->size(), posts);
    }

    void replies_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::newRow("open topic") << "1" << QByteArray(R"({"body":"Согласен 👍"})") << 200;
        QTest::newRow("locked topic") << "2" << QByteArray(R"({"body":"А можно?"})") << 403;
        QTest::newRow("blank") << "1" << QByteArray(R"({"body":"\t "})") << 400;
        QTest::newRow("body not a string") << "1" << QByteArray(R"({"body":5})") << 400;
    }
    void replies()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        auto c = signedIn();
        const auto before = decode<ForumTopicResponse>(c->get("/api/forum/topic/" + topic));
        QCOMPARE(c->send("POST", "/api/forum/topic/" + topic + "/reply", body).status, status);
        const auto after = decode<ForumTopicResponse>(c->get("/api/forum/topic/" + topic));
        QCOMPARE(after->posts->size(), before->posts->size() + (status == 200 ? 1 : 0));
        QCOMPARE(after->topic->postsCount.value_or(-1), qint64(after->posts->size()));
        if (status == 200)
            QCOMPARE(after->posts->last().body, QJsonDocument::fromJson(body).object().value("body").toString());
    }
};

QTEST_GUILESS_MAIN(CommunityRoutesTest)
#include "tst_communityroutes.moc"
