// The local service's content routes: memories and projects (create, delete, refusals), the
// character catalogue with portraits (one only with the session), activation, web search and
// action runs with composed answers.

#include "httpclient.h"
#include "localservice.h"
#include "servicestate.h"

#include <QImage>
#include <QJsonArray>
#include <QTest>

using namespace vexa::service;
using namespace vexa::test;

class ContentRoutesTest : public QObject
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

    static QJsonArray stateList(const HttpResult &r, const QString &key)
    {
        return r.json().value(QStringLiteral("state")).toObject().value(key).toArray();
    }

private Q_SLOTS:
    void init()
    {
        service = std::make_unique<LocalService>();
        QVERIFY(service->listen());
    }
    void cleanup() { service.reset(); }

    void routesNeedASession_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::newRow("memory") << QByteArray("POST") << "/api/memory";
        QTest::newRow("memory delete") << QByteArray("DELETE") << "/api/memory/1";
        QTest::newRow("projects") << QByteArray("POST") << "/api/projects";
        QTest::newRow("project delete") << QByteArray("DELETE") << "/api/projects/1";
        QTest::newRow("characters") << QByteArray("GET") << "/api/characters";
        QTest::newRow("session portrait") << QByteArray("GET") << "/api/characters/mira/portrait";
        QTest::newRow("activate") << QByteArray("POST") << "/api/character/activate";
        QTest::newRow("search") << QByteArray("POST") << "/api/search";
        QTest::newRow("actions") << QByteArray("POST") << "/api/actions/run";
    }
    void routesNeedASession()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        HttpClient anonymous(service->baseUrl());
        const HttpResult r = anonymous.send(method, path, method == "POST" ? QByteArray("{}") : QByteArray());
        QCOMPARE(r.status, 401);
    }

    void memoryIsAddedAndDeleted()
    {
        auto c = signedIn();
        const qsizetype before = service->state().memories.size();
        const HttpResult added = c->postJson(QStringLiteral("/api/memory"),
                                             {{QStringLiteral("content"), QStringLiteral("Аллергия на орехи")}});
        QCOMPARE(added.status, 200);
        const QJsonArray list = stateList(added, QStringLiteral("memories"));
        QCOMPARE(list.size(), before + 1);
        const QJsonObject fact = list.last().toObject();
        QCOMPARE(fact.value(QStringLiteral("content")).toString(), QStringLiteral("Аллергия на орехи"));
        const qint64 id = fact.value(QStringLiteral("id")).toInteger();
        const HttpResult deleted = c->send("DELETE", QStringLiteral("/api/memory/%1").arg(id));
        QCOMPARE(deleted.status, 200);
        QCOMPARE(stateList(deleted, QStringLiteral("memories")).size(), before);
        QCOMPARE(c->send("DELETE", QStringLiteral("/api/memory/%1").arg(id)).status, 404);
    }

    void projectIsAddedAndDeleted()
    {
        auto c = signedIn();
        const HttpResult added = c->postJson(QStringLiteral("/api/projects"),
                                             {{QStringLiteral("name"), QStringLiteral("Дача")},
                                              {QStringLiteral("description"), QStringLiteral("Теплица и забор")}});
        QCOMPARE(added.status, 200);
        const QJsonObject project = stateList(added, QStringLiteral("projects")).first().toObject();
        QCOMPARE(project.value(QStringLiteral("name")).toString(), QStringLiteral("Дача"));
        QCOMPARE(project.value(QStringLiteral("description")).toString(), QStringLiteral("Теплица и забор"));
        const HttpResult deleted = c->send("DELETE", QStringLiteral("/api/projects/%1")
                                                         .arg(project.value(QStringLiteral("id")).toInteger()));
        QCOMPARE(deleted.status, 200);
        for (const QJsonValue &p : stateList(deleted, QStringLiteral("projects")))
            QVERIFY(p.toObject().value(QStringLiteral("name")).toString() != QStringLiteral("Дача"));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::newRow("blank memory") << "/api/memory" << QByteArray(R"({"content":" \n\t"})") << 400;
        QTest::newRow("memory not a string") << "/api/memory" << QByteArray(R"({"content":5})") << 400;
        QTest::newRow("blank project name") << "/api/projects" << QByteArray(R"({"name":"\n"})") << 400;
        QTest::newRow("blank search") << "/api/search" << QByteArray(R"({"query":"  "})") << 400;
        QTest::newRow("blank action input") << "/api/actions/run" << QByteArray(R"({"instruction":"","input":"\n"})") << 400;
        QTest::newRow("action without instruction key") << "/api/actions/run" << QByteArray(R"({"input":"x"})") << 400;
        QTest::newRow("unknown character") << "/api/character/activate" << QByteArray(R"({"character_id":"nobody"})") << 404;
        QTest::newRow("locked character") << "/api/character/activate" << QByteArray(R"({"character_id":"shelest"})") << 403;
        QTest::newRow("not JSON") << "/api/search" << QByteArray("query=x") << 400;
    }
    void refusals()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        const HttpResult r = signedIn()->send("POST", path, body);
        QCOMPARE(r.status, status);
        QCOMPARE(r.json().value(QStringLiteral("ok")).toBool(true), false);
        QVERIFY(!r.json().value(QStringLiteral("error")).toString().isEmpty());
    }

    void switchedOffFeaturesRefuse_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("memory") << "/api/memory" << QByteArray(R"({"content":"x"})");
        QTest::newRow("projects") << "/api/projects" << QByteArray(R"({"name":"x"})");
        QTest::newRow("search") << "/api/search" << QByteArray(R"({"query":"x"})");
        QTest::newRow("actions") << "/api/actions/run" << QByteArray(R"({"instruction":"","input":"x"})");
    }
    void switchedOffFeaturesRefuse()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        service->state().features = {false, false, false, false};
        QCOMPARE(signedIn()->send("POST", path, body).status, 403);
    }

    void charactersAndPortraits()
    {
        auto c = signedIn();
        const HttpResult list = c->get(QStringLiteral("/api/characters"));
        QCOMPARE(list.status, 200);
        const QJsonArray characters = list.json().value(QStringLiteral("characters")).toArray();
        QCOMPARE(characters.size(), 4);
        QStringList portraits;
        for (const QJsonValue &value : characters) {
            const QJsonObject character = value.toObject();
            QVERIFY(character.value(QStringLiteral("id")).isString());
            QVERIFY(character.value(QStringLiteral("is_unlocked")).isBool());
            if (character.contains(QStringLiteral("portrait_url")))
                portraits.append(character.value(QStringLiteral("portrait_url")).toString());
        }
        // Absolute addresses on the origin the request came to.
        QCOMPARE(portraits, (QStringList{service->baseUrl().toString() + QStringLiteral("/api/characters/mira/portrait"),
                                         service->baseUrl().toString() + QStringLiteral("/portraits/arkady")}));
        for (const QString &portrait : portraits) {
            const HttpResult picture = c->get(QUrl(portrait).path());
            QCOMPARE(picture.status, 200);
            QCOMPARE(picture.header("content-type"), QByteArray("image/png"));
            QCOMPARE(QImage::fromData(picture.body).size(), QSize(144, 144));
        }
        HttpClient anonymous(service->baseUrl());
        QCOMPARE(anonymous.get(QStringLiteral("/portraits/arkady")).status, 200);
        QCOMPARE(anonymous.get(QStringLiteral("/api/characters/mira/portrait")).status, 401);
        // Each portrait is served only where the catalogue says.
        QCOMPARE(c->get(QStringLiteral("/portraits/mira")).status, 404);
        QCOMPARE(c->get(QStringLiteral("/api/characters/arkady/portrait")).status, 404);
    }

    void activationMarksOneCharacter()
    {
        auto c = signedIn();
        const auto activeIds = [&] {
            QStringList ids;
            for (const QJsonValue &v : c->get(QStringLiteral("/api/characters")).json()
                                           .value(QStringLiteral("characters")).toArray()) {
                if (v.toObject().value(QStringLiteral("is_active")).toBool())
                    ids.append(v.toObject().value(QStringLiteral("id")).toString());
            }
            return ids;
        };
        QVERIFY(activeIds().isEmpty());
        const HttpResult on = c->postJson(QStringLiteral("/api/character/activate"),
                                          {{QStringLiteral("character_id"), QStringLiteral("arkady")}});
        QCOMPARE(on.status, 200);
        QVERIFY(on.json().value(QStringLiteral("state")).isObject());
        QCOMPARE(activeIds(), QStringList{QStringLiteral("arkady")});
        QCOMPARE(c->postJson(QStringLiteral("/api/character/activate"),
                             {{QStringLiteral("character_id"), QStringLiteral("luna")}}).status, 200);
        QCOMPARE(activeIds(), QStringList{QStringLiteral("luna")});
        QCOMPARE(c->postJson(QStringLiteral("/api/character/activate"),
                             {{QStringLiteral("character_id"), QStringLiteral("none")}}).status, 200);
        QVERIFY(activeIds().isEmpty());
    }

    void composedAnswers_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QJsonObject>("body");
        QTest::addColumn<QString>("contains");
        QTest::newRow("search names the question and sources")
            << "/api/search" << QJsonObject{{QStringLiteral("query"), QStringLiteral("Пробки в Казани")}}
            << QStringLiteral("«Пробки в Казани»");
        QTest::newRow("summary numbers the sentences")
            << "/api/actions/run"
            << QJsonObject{{QStringLiteral("instruction"), QStringLiteral("Перескажи текст в пяти пунктах.")},
                           {QStringLiteral("input"), QStringLiteral("Первое. Второе! Третье?")}}
            << QStringLiteral("1. Первое.\n2. Второе!\n3. Третье?");
        QTest::newRow("spelling tidies the text")
            << "/api/actions/run"
            << QJsonObject{{QStringLiteral("instruction"), QStringLiteral("Исправь орфографию.")},
                           {QStringLiteral("input"), QStringLiteral("привет  ,мир")}}
            << QStringLiteral("Привет,мир.");
        QTest::newRow("no instruction writes a letter")
            << "/api/actions/run"
            << QJsonObject{{QStringLiteral("instruction"), QString()}, {QStringLiteral("input"), QStringLiteral("жду отчёт")}}
            << QStringLiteral("Здравствуйте!\n\nЖду отчёт.");
    }
    void composedAnswers()
    {
        QFETCH(QString, path);
        QFETCH(QJsonObject, body);
        QFETCH(QString, contains);
        const qint64 usedBefore = service->state().limits.usedDay;
        const HttpResult r = signedIn()->postJson(path, body);
        QCOMPARE(r.status, 200);
        QVERIFY2(r.json().value(QStringLiteral("answer")).toString().contains(contains),
                 qPrintable(r.json().value(QStringLiteral("answer")).toString()));
        QVERIFY(r.json().value(QStringLiteral("state")).isObject());
        QCOMPARE(service->state().limits.usedDay, usedBefore + 1);
    }
};

QTEST_MAIN(ContentRoutesTest)
#include "test_content_routes.moc"
