// The tools against the local service: a search sends the question as typed and shows the
// answer or its fallback; white space and a switched-off feature send nothing; actions run the
// selected one or the first; characters load, activate and reload; purchase links open only
// as https; a search and an action run side by side.

#include "awaittask.h"
#include "contentfixture.h"
#include "servicestate.h"
#include "toolsviewmodel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace vexa;
using namespace vexa::test;

class ToolsViewModelTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ContentFixture> f;

    std::unique_ptr<ToolsViewModel> tools()
    {
        return std::make_unique<ToolsViewModel>(f->client.get(), f->platform);
    }

    QVariantMap characterRow(ToolsViewModel &vm, const QString &id)
    {
        for (const QVariant &row : rowsOf(vm.characters())) {
            if (row.toMap().value(QStringLiteral("rowId")).toString() == id)
                return row.toMap();
        }
        return {};
    }

    void scriptReply(const QByteArray &method, const QString &path, const QByteArray &body,
                     int delayMs = 0)
    {
        service::ScriptedReply reply;
        reply.body = body;
        reply.delay = std::chrono::milliseconds(delayMs);
        reply.times = 1;
        f->service->script(method, path, reply);
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<ContentFixture>();
        QVERIFY(f->start());
    }
    void cleanup() { f.reset(); }

    void searchSendsTheQuestionAsTyped()
    {
        auto vm = tools();
        const QString question = QStringLiteral("\nКурс юаня сегодня?\n");
        vm->setQuery(question);
        QVERIFY(vm->canSearch());
        vm->search();
        QVERIFY(vm->searchBusy());
        QVERIFY(!vm->canSearch());
        QVERIFY(waitUntil([&] { return !vm->searchBusy(); }));
        const auto sent = f->sent("POST", QStringLiteral("/api/search"));
        QCOMPARE(sent.size(), 1);
        QCOMPARE(ContentFixture::body(sent.first()).value(QStringLiteral("query")).toString(), question);
        QVERIFY(vm->searchResult().contains(QStringLiteral("Курс юаня сегодня?")));
        QCOMPARE(vm->query(), question);
    }

    void answerFallbacks_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("action");
        QTest::newRow("no answer") << QByteArray(R"({"ok":true})") << QStringLiteral("Ответ не получен.")
                                   << QStringLiteral("Результат не получен.");
        QTest::newRow("null answer") << QByteArray(R"({"ok":true,"answer":null})")
                                     << QStringLiteral("Ответ не получен.") << QStringLiteral("Результат не получен.");
        QTest::newRow("empty answer") << QByteArray(R"({"ok":true,"answer":""})")
                                      << QStringLiteral("Ответ не получен.") << QStringLiteral("Результат не получен.");
        QTest::newRow("markup stays text") << QByteArray(R"({"ok":true,"answer":"<b>Да</b>"})")
                                           << QStringLiteral("<b>Да</b>") << QStringLiteral("<b>Да</b>");
    }
    void answerFallbacks()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, search);
        QFETCH(QString, action);
        auto vm = tools();
        scriptReply("POST", QStringLiteral("/api/search"), reply);
        scriptReply("POST", QStringLiteral("/api/actions/run"), reply);
        vm->setQuery(QStringLiteral("Погода"));
        vm->setActionInput(QStringLiteral("Текст"));
        vm->search();
        vm->runAction();
        QVERIFY(waitUntil([&] { return !vm->searchBusy() && !vm->actionBusy(); }));
        QCOMPARE(vm->searchResult(), search);
        QCOMPARE(vm->actionResult(), action);
        QVERIFY(!f->client->hasNotice());
    }

    void nothingIsSentWhenNotAllowed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("webSearch");
        QTest::newRow("spaces") << QStringLiteral("   ") << true;
        QTest::newRow("tabs") << QStringLiteral("\t\t") << true;
        QTest::newRow("line breaks") << QStringLiteral("\n\n") << true;
        QTest::newRow("search switched off") << QStringLiteral("Новости") << false;
    }
    void nothingIsSentWhenNotAllowed()
    {
        QFETCH(QString, text);
        QFETCH(bool, webSearch);
        f->service->state().features.webSearch = webSearch;
        QVERIFY(awaitVoid(f->client->refresh()));
        f->service->clearRequests();
        auto vm = tools();
        vm->setQuery(text);
        vm->setActionInput(webSearch ? text : QStringLiteral(" \n"));
        QVERIFY(!vm->canSearch());
        QVERIFY(!vm->canRunAction());
        vm->search();
        vm->runAction();
        QTest::qWait(vexa::test::scaledMs(100));
        QVERIFY(f->service->requests().isEmpty());
    }

    void failureKeepsTheText()
    {
        auto vm = tools();
        f->failNext("POST", QStringLiteral("/api/search"), QStringLiteral("Лимит поиска исчерпан."));
        vm->setQuery(QStringLiteral("Афиша Казани"));
        vm->search();
        QVERIFY(waitUntil([&] { return !vm->searchBusy(); }));
        QCOMPARE(f->client->noticeText(), QStringLiteral("Лимит поиска исчерпан."));
        QCOMPARE(vm->query(), QStringLiteral("Афиша Казани"));
        QVERIFY(vm->searchResult().isEmpty());
    }

    void actionRuns_data()
    {
        QTest::addColumn<qint64>("selected");
        QTest::addColumn<QString>("instruction");
        // The demo account: 1 "Краткий пересказ", 2 "Проверка орфографии", 3 without instruction.
        QTest::newRow("the selected action")
            << qint64(2) << QStringLiteral("Исправь орфографию и пунктуацию, ничего не меняя по смыслу.");
        QTest::newRow("an action that went away runs the first")
            << qint64(77) << QStringLiteral("Перескажи текст в пяти пунктах, без вводных фраз.");
        QTest::newRow("without instruction") << qint64(3) << QString();
    }
    void actionRuns()
    {
        QFETCH(qint64, selected);
        QFETCH(QString, instruction);
        auto vm = tools();
        QCOMPARE(vm->selectedAction(), qint64(1));
        vm->setSelectedAction(selected);
        vm->setActionInput(QStringLiteral("мы  встретимся завтра ,в десять"));
        vm->runAction();
        QVERIFY(waitUntil([&] { return !vm->actionBusy(); }));
        const auto sent = f->sent("POST", QStringLiteral("/api/actions/run"));
        QCOMPARE(sent.size(), 1);
        const QJsonObject body = ContentFixture::body(sent.first());
        QCOMPARE(body, (QJsonObject{{QStringLiteral("instruction"), instruction},
                                    {QStringLiteral("input"), QStringLiteral("мы  встретимся завтра ,в десять")}}));
        QVERIFY(!vm->actionResult().isEmpty());
    }

    void selectionFollowsAStateThatArrivesLater()
    {
        TestClient late(f->service->baseUrl().toString(), f->dir.filePath(QStringLiteral("late-cookies")));
        ToolsViewModel vm(&late, f->platform);
        vm.appear(); // signed out: the characters fail quietly into the notice
        // Their 401 must be in before signing in, or it would end the new session.
        QVERIFY(waitUntil([&] { return !vm.charactersLoading(); }));
        QCOMPARE(vm.selectedActionIndex(), -1);
        QVERIFY(!vm.canRunAction());
        QVERIFY(awaitVoid(late.signIn(QStringLiteral("123456"))));
        QCOMPARE(vm.selectedAction(), qint64(1));
        QCOMPARE(vm.selectedActionIndex(), 0);
        vm.selectActionAt(1);
        QCOMPARE(vm.selectedAction(), qint64(2));
        // The chosen action is removed on the service: the next state moves the choice.
        f->service->state().actions.removeAt(1);
        QVERIFY(awaitVoid(late.refresh()));
        QCOMPARE(vm.selectedAction(), qint64(1));
    }

    void searchAndActionRunSideBySide()
    {
        auto vm = tools();
        scriptReply("POST", QStringLiteral("/api/search"), R"({"ok":true,"answer":"Найдено"})", 400);
        vm->setQuery(QStringLiteral("Театры Казани"));
        vm->setActionInput(QStringLiteral("Текст письма"));
        vm->search();
        QVERIFY(vm->canRunAction());
        vm->runAction();
        QVERIFY(waitUntil([&] { return !vm->actionBusy(); }));
        QVERIFY(vm->searchBusy());
        QVERIFY(waitUntil([&] { return !vm->searchBusy(); }));
        QCOMPARE(vm->searchResult(), QStringLiteral("Найдено"));
    }

    void charactersActivateAndReload()
    {
        auto vm = tools();
        vm->appear();
        QVERIFY(waitUntil([&] { return !vm->characterList().isEmpty() && !vm->charactersLoading(); }));
        QCOMPARE(characterRow(*vm, QStringLiteral("luna")).value(QStringLiteral("button")).toString(),
                 QStringLiteral("enable"));
        QCOMPARE(characterRow(*vm, QStringLiteral("shelest")).value(QStringLiteral("button")).toString(),
                 QStringLiteral("open"));
        QCOMPARE(characterRow(*vm, QStringLiteral("luna")).value(QStringLiteral("emoji")).toString(),
                 QStringLiteral("🌙"));
        QCOMPARE(characterRow(*vm, QStringLiteral("shelest")).value(QStringLiteral("emoji")).toString(),
                 QStringLiteral("🤖"));
        const QUrl portrait = characterRow(*vm, QStringLiteral("mira")).value(QStringLiteral("portrait")).toUrl();
        QCOMPARE(portrait, f->service->baseUrl().resolved(QUrl(QStringLiteral("/api/characters/mira/portrait"))));
        f->service->clearRequests();

        vm->activateCharacter(QStringLiteral("luna"));
        QVERIFY(vm->activating());
        QVERIFY(waitUntil([&] { return !vm->activating(); }));
        QCOMPARE(characterRow(*vm, QStringLiteral("luna")).value(QStringLiteral("button")).toString(),
                 QStringLiteral("active"));
        const auto sent = f->sent("POST", QStringLiteral("/api/character/activate"));
        QCOMPARE(sent.size(), 1);
        QCOMPARE(ContentFixture::body(sent.first()).value(QStringLiteral("character_id")).toString(),
                 QStringLiteral("luna"));
        QCOMPARE(f->sent("GET", QStringLiteral("/api/characters")).size(), 1);

        vm->activateCharacter(QStringLiteral("none"));
        QVERIFY(waitUntil([&] { return !vm->activating(); }));
        QCOMPARE(ContentFixture::body(f->sent("POST", QStringLiteral("/api/character/activate")).last())
                     .value(QStringLiteral("character_id")).toString(),
                 QStringLiteral("none"));
        QCOMPARE(characterRow(*vm, QStringLiteral("luna")).value(QStringLiteral("button")).toString(),
                 QStringLiteral("enable"));
    }

    void refusedActivationKeepsTheList()
    {
        auto vm = tools();
        vm->appear();
        QVERIFY(waitUntil([&] { return !vm->characterList().isEmpty(); }));
        f->service->clearRequests();
        vm->activateCharacter(QStringLiteral("shelest")); // locked on the service
        QVERIFY(waitUntil([&] { return !vm->activating(); }));
        QVERIFY(f->client->noticeText().contains(QStringLiteral("ещё не открыт")));
        QVERIFY(f->sent("GET", QStringLiteral("/api/characters")).isEmpty());
        QCOMPARE(vm->characterList().size(), 4);
    }

    void failedLoadKeepsTheList()
    {
        auto vm = tools();
        vm->appear();
        QVERIFY(waitUntil([&] { return vm->characterList().size() == 4 && !vm->charactersLoading(); }));
        f->failNext("GET", QStringLiteral("/api/characters"), QStringLiteral("Каталог недоступен."));
        vm->reloadCharacters();
        QVERIFY(waitUntil([&] { return !vm->charactersLoading(); }));
        QCOMPARE(f->client->noticeText(), QStringLiteral("Каталог недоступен."));
        QCOMPARE(vm->characterList().size(), 4);
    }

    void purchaseLinksOpenOnlyAsHttps_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("opens");
        QTest::newRow("https") << QStringLiteral("https://t.me/VexaAIBot?start=x") << true;
        QTest::newRow("http") << QStringLiteral("http://t.me/VexaAIBot") << false;
        QTest::newRow("file") << QStringLiteral("file:///etc/hosts") << false;
        QTest::newRow("script") << QStringLiteral("javascript:alert(1)") << false;
    }
    void purchaseLinksOpenOnlyAsHttps()
    {
        QFETCH(QString, link);
        QFETCH(bool, opens);
        const QJsonObject reply{
            {QStringLiteral("ok"), true},
            {QStringLiteral("characters"),
             QJsonArray{QJsonObject{{QStringLiteral("id"), QStringLiteral("x")},
                                    {QStringLiteral("name"), QStringLiteral("Икс")},
                                    {QStringLiteral("bot_buy_url"), link}}}}};
        scriptReply("GET", QStringLiteral("/api/characters"), QJsonDocument(reply).toJson());
        auto vm = tools();
        vm->appear();
        QVERIFY(waitUntil([&] { return vm->characterList().size() == 1; }));
        QCOMPARE(characterRow(*vm, QStringLiteral("x")).value(QStringLiteral("button")).toString(),
                 opens ? QStringLiteral("open") : QStringLiteral("none"));
        vm->openPurchaseLink(0);
        QCOMPARE(f->platform->opened.size(), opens ? 1 : 0);
        if (opens)
            QCOMPARE(f->platform->opened.first(), QUrl(link));
    }
};

QTEST_MAIN(ToolsViewModelTest)
#include "tst_toolsviewmodel.moc"
