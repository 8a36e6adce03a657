// Saved answers, favourite recipes, settings, the voice recommendation and the code calls.

#include "opsfixture.h"

#include <QSignalSpy>

using namespace vexa;
using namespace vexa::test;

class AccountOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savedAnswersQuery_data();
    void savedAnswersQuery();
    void savedAnswersFailuresGoToCaller();
    void favoriteToggle_data();
    void favoriteToggle();
    void recipeIdsStayInTheirSegment_data();
    void recipeIdsStayInTheirSegment();
    void noticeReportingCalls_data();
    void noticeReportingCalls();
    void deleteSavedAnswer();
    void voiceRecommendation_data();
    void voiceRecommendation();
    void createCodeConversationLeavesMirror_data();
    void createCodeConversationLeavesMirror();
    void askCode_data();
    void askCode();
};

void AccountOpsTest::savedAnswersQuery_data()
{
    QTest::addColumn<qint64>("page");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("query");
    QTest::newRow("first page, no search") << qint64(1) << "" << "page=1&q=";
    QTest::newRow("spaces") << qint64(0) << "два слова" << "page=0&q=%D0%B4%D0%B2%D0%B0%20%D1%81%D0%BB%D0%BE%D0%B2%D0%B0";
    QTest::newRow("separators and fragment") << qint64(12) << "a&b=c#d" << "page=12&q=a%26b%3Dc%23d";
    QTest::newRow("plus and percent") << qint64(2) << "C++ 50%" << "page=2&q=C%2B%2B%2050%25";
    QTest::newRow("allowed characters stay") << qint64(3) << "a/b?c:d@e-f.g_h~i" << "page=3&q=a/b?c:d@e-f.g_h~i";
}

void AccountOpsTest::savedAnswersQuery()
{
    QFETCH(qint64, page);
    QFETCH(QString, search);
    QFETCH(QString, query);
    OpsFixture f;
    f.script("GET", QStringLiteral("/api/workspace/answers"), 200,
             R"({"ok":true,"answers":[{"id":3,"title":"T","content":"C"}],"used":1,"capacity":50,"has_more":false})");
    VEXA_AWAIT(reply, f.client->savedAnswers(page, search));
    QVERIFY(reply);
    QCOMPARE(reply->answers.size(), 1);
    QCOMPARE(reply->capacity, 50);
    const auto sent = f.service.requests(QStringLiteral("/api/workspace/answers"));
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first().method, QByteArray("GET"));
    QCOMPARE(sent.first().query, query);
}

void AccountOpsTest::savedAnswersFailuresGoToCaller()
{
    OpsFixture f;
    f.client->clearNotice();
    f.script("GET", QStringLiteral("/api/workspace/answers"), 200,
             R"({"ok":true,"answers":[],"used":0,"capacity":50})", 0, 1);
    VEXA_AWAIT(missingHasMore, f.client->savedAnswers(0, QString()));
    QVERIFY(!missingHasMore);
    QVERIFY(isInvalidResponse(missingHasMore.error()));
    QVERIFY(!f.client->hasNotice());
}

void AccountOpsTest::favoriteToggle_data()
{
    QTest::addColumn<QString>("favorite"); // "", "true", "false"
    QTest::addColumn<bool>("enabled");
    QTest::newRow("never marked") << "" << true;
    QTest::newRow("not a favourite") << "false" << true;
    QTest::newRow("a favourite") << "true" << false;
}

void AccountOpsTest::favoriteToggle()
{
    QFETCH(QString, favorite);
    QFETCH(bool, enabled);
    OpsFixture f;
    VexaPromptRecipe recipe;
    recipe.id = QStringLiteral("plan-week");
    if (!favorite.isEmpty())
        recipe.isFavorite = favorite == QLatin1String("true");
    // The service's list comes back as it is; its "ok" is not looked at.
    f.script("POST", QStringLiteral("/api/workspace/recipes/plan-week/favorite"), 200,
             R"({"ok":false,"recipes":[{"id":"plan-week","title":"План","prompt":"P","hint":"H","is_favorite":true}]})");
    VEXA_AWAIT(recipes, f.client->favoriteRecipe(recipe));
    QVERIFY(recipes);
    QCOMPARE(recipes->size(), 1);
    QCOMPARE(recipes->first().isFavorite, std::optional(true));
    QCOMPARE(f.lastBody(QStringLiteral("/api/workspace/recipes/plan-week/favorite")),
             QJsonObject({{QStringLiteral("enabled"), enabled}}));
}

void AccountOpsTest::recipeIdsStayInTheirSegment_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("path"); // the request's path, "" when nothing may be sent

    QTest::newRow("plain slug") << "plan-week" << "/api/workspace/recipes/plan-week/favorite";
    QTest::newRow("underscore and digits") << "plan_2" << "/api/workspace/recipes/plan_2/favorite";
    QTest::newRow("a dot inside") << "v1.2" << "/api/workspace/recipes/v1.2/favorite";
    QTest::newRow("slash") << "../../admin" << "";
    QTest::newRow("inner slash") << "a/b" << "";
    QTest::newRow("query") << "a?x=1" << "";
    QTest::newRow("fragment") << "a#b" << "";
    QTest::newRow("escape") << "a%2Fb" << "";
    QTest::newRow("dot") << "." << "";
    QTest::newRow("two dots") << ".." << "";
    QTest::newRow("empty") << "" << "";
}

void AccountOpsTest::recipeIdsStayInTheirSegment()
{
    QFETCH(QString, id);
    QFETCH(QString, path);
    OpsFixture f;
    VexaPromptRecipe recipe;
    recipe.id = id;
    if (!path.isEmpty())
        f.script("POST", path, 200,
                 R"({"ok":true,"recipes":[{"id":"x","title":"План","prompt":"P","hint":"H","is_favorite":true}]})");
    VEXA_AWAIT(recipes, f.client->favoriteRecipe(recipe));
    QCOMPARE(bool(recipes), !path.isEmpty());
    if (path.isEmpty())
        QCOMPARE(f.service.requests().size(), 0);
    else
        QCOMPARE(f.count(path), 1);
}

void AccountOpsTest::noticeReportingCalls_data()
{
    QTest::addColumn<bool>("save"); // saveAnswer, else updateSetting
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("length"); // the state's response_length afterwards

    const QByteArray withState = R"({"ok":true,"state":{"settings":{"response_length":"short"}}})";
    QTest::newRow("save") << true << 200 << withState
                          << "Ответ сохранён. Откройте Пространство → Сохранённые ответы."
                          << "short";
    QTest::newRow("save ok false") << true << 200
                                   << QByteArray(R"({"ok":false,"error":"Коллекция заполнена."})")
                                   << "Коллекция заполнена." << "long";
    QTest::newRow("save unreadable") << true << 200 << QByteArray("[]") << kInvalidText << "long";
    QTest::newRow("setting") << false << 200 << withState << "" << "short";
    QTest::newRow("setting refused") << false << 400
                                     << QByteArray(R"({"error":"Недопустимое значение."})")
                                     << "Недопустимое значение." << "long";
    // An empty or blank error text would be an empty alert.
    QTest::newRow("save ok false, empty error") << true << 200
                                                << QByteArray(R"({"ok":false,"error":""})")
                                                << "Запрос не выполнен." << "long";
    QTest::newRow("save ok false, blank error") << true << 200
                                                << QByteArray(R"({"ok":false,"error":" \n"})")
                                                << "Запрос не выполнен." << "long";
    QTest::newRow("setting refused, empty error") << false << 400 << QByteArray(R"({"error":""})")
                                                  << "Ошибка сервера (HTTP 400)." << "long";
    QTest::newRow("setting refused, error in an empty reply") << false << 503
                                                               << QByteArray(R"({"ok":false,"error":"  "})")
                                                               << "Ошибка сервера (HTTP 503)." << "long";
}

void AccountOpsTest::noticeReportingCalls()
{
    QFETCH(bool, save);
    QFETCH(int, status);
    QFETCH(QByteArray, reply);
    QFETCH(QString, notice);
    QFETCH(QString, length);
    OpsFixture f;
    QVERIFY(f.loadState(R"({"settings":{"response_length":"long"}})"));
    awaitVoid(f.client->send(QStringLiteral("x"), std::nullopt, std::nullopt, QStringLiteral("?")));
    QVERIFY(f.client->hasNotice()); // so that clearing shows
    const QString path = save ? QStringLiteral("/api/workspace/answers")
                              : QStringLiteral("/api/settings/update");
    f.script("POST", path, status, reply);

    const QString text = QStringLiteral("  Ответ с пробелами\n");
    VEXA_AWAIT_VOID(save ? f.client->saveAnswer(text)
                         : f.client->updateSetting(QStringLiteral("response_length"),
                                                   QStringLiteral("short")));
    QCOMPARE(f.client->noticeText(), notice);
    QCOMPARE(f.client->state()->settings->responseLength, std::optional(length));
    QCOMPARE(f.lastBody(path),
             save ? QJsonObject({{QStringLiteral("content"), text}})
                  : QJsonObject({{QStringLiteral("response_length"), QStringLiteral("short")}}));
}

void AccountOpsTest::deleteSavedAnswer()
{
    OpsFixture f;
    f.script("DELETE", QStringLiteral("/api/workspace/answers/42"), 200,
             R"({"ok":true,"state":{"model":"after"}})", 0, 1);
    VEXA_AWAIT(deleted, f.client->deleteSavedAnswer(42));
    QVERIFY(deleted);
    QCOMPARE(f.client->state()->model, std::optional(QStringLiteral("after")));
    QCOMPARE(f.service.requests(QStringLiteral("/api/workspace/answers/42")).first().method,
             QByteArray("DELETE"));
    QVERIFY(f.service.requests(QStringLiteral("/api/workspace/answers/42")).first().body.isEmpty());

    f.client->clearNotice();
    f.script("DELETE", QStringLiteral("/api/workspace/answers/42"), 404,
             R"({"ok":false,"error":"Ответ не найден."})");
    VEXA_AWAIT(missing, f.client->deleteSavedAnswer(42));
    QVERIFY(!missing);
    QCOMPARE(describe(missing.error()), QStringLiteral("Ответ не найден."));
    QVERIFY(!f.client->hasNotice());
}

void AccountOpsTest::voiceRecommendation_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("model"); // empty: a decoding failure
    QTest::newRow("recommended") << QByteArray(R"({"ok":true,"model":"fast","title":"Быстрая","reason":"R"})")
                                 << "fast";
    QTest::newRow("no reason") << QByteArray(R"({"model":"fast","title":"Быстрая"})") << "";
    QTest::newRow("not an object") << QByteArray("[1]") << "";
}

void AccountOpsTest::voiceRecommendation()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, model);
    OpsFixture f;
    f.script("GET", QStringLiteral("/api/voice/recommendation"), 200, reply);
    VEXA_AWAIT(recommendation, f.client->voiceRecommendation());
    QCOMPARE(bool(recommendation), !model.isEmpty());
    if (recommendation) {
        QCOMPARE(recommendation->model, model);
        return;
    }
    // The decoder's own failure, not the generic unreadable-reply text.
    QVERIFY(!isInvalidResponse(recommendation.error()));
    QVERIFY(std::holds_alternative<PlatformError>(recommendation.error()));
    QVERIFY(!describe(recommendation.error()).isEmpty());
}

void AccountOpsTest::createCodeConversationLeavesMirror_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("id"); // empty: invalidResponse
    QTest::newRow("created") << QByteArray(R"({"ok":true,"active_chat_id":99,"chats":[{"id":99,"messages":[{"role":"user","text":"x"}]}]})")
                             << "99";
    QTest::newRow("no active chat") << QByteArray(R"({"ok":true,"chats":[]})") << "";
    QTest::newRow("ok false") << QByteArray(R"({"ok":false,"active_chat_id":"5"})") << "";
}

void AccountOpsTest::createCodeConversationLeavesMirror()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, id);
    OpsFixture f;
    QVERIFY(f.restore());
    const auto active = f.client->activeChatID();
    const auto chats = f.client->chats().size();
    QSignalSpy entries(f.client.get(), &VexaClient::entriesChanged);
    QSignalSpy loading(f.client.get(), &VexaClient::chatsLoadingChanged);
    f.script("POST", QStringLiteral("/api/chats"), 200, reply);

    VEXA_AWAIT(created, f.client->createCodeConversation());
    QCOMPARE(bool(created), !id.isEmpty());
    if (created)
        QCOMPARE(*created, id);
    else
        QVERIFY(isInvalidResponse(created.error()));
    QCOMPARE(f.lastBody(QStringLiteral("/api/chats")), QJsonObject());
    QCOMPARE(f.client->activeChatID(), active);
    QCOMPARE(f.client->chats().size(), chats);
    QCOMPARE(entries.count(), 0);
    QCOMPARE(loading.count(), 0);
}

void AccountOpsTest::askCode_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("answer"); // empty: fails
    QTest::newRow("answered, model from state")
        << QByteArray(R"({"model":"coder"})")
        << QByteArray(R"({"ok":true,"answer":"Используйте `const`.","state":{"model":"coder2"}})")
        << "Используйте `const`.";
    QTest::newRow("empty answer with ok true") << QByteArray(R"({})")
                                               << QByteArray(R"({"ok":true,"answer":""})") << "";
    QTest::newRow("no answer") << QByteArray(R"({"model":"coder"})")
                               << QByteArray(R"({"ok":true})") << "";
}

void AccountOpsTest::askCode()
{
    QFETCH(QByteArray, state);
    QFETCH(QByteArray, reply);
    QFETCH(QString, answer);
    OpsFixture f;
    QVERIFY(f.restore());
    QVERIFY(f.loadState(state));
    f.script("POST", QStringLiteral("/api/chat"), 200, reply, 100);
    QSignalSpy entries(f.client.get(), &VexaClient::entriesChanged);
    QSignalSpy sending(f.client.get(), &VexaClient::sendingChanged);

    VEXA_AWAIT(result, f.client->askCode(QStringLiteral("Что делает main.cpp?"), QStringLiteral("c-5")));
    QCOMPARE(bool(result), !answer.isEmpty());
    if (result) {
        QCOMPARE(*result, answer);
        QCOMPARE(f.client->state()->model, std::optional(QStringLiteral("coder2")));
    } else {
        QVERIFY(isInvalidResponse(result.error()));
    }
    QCOMPARE(entries.count(), 0);
    QCOMPARE(sending.count(), 0);
    const QJsonObject body = f.lastBody(QStringLiteral("/api/chat"));
    QCOMPARE(body.value(QLatin1String("message")).toString(), QStringLiteral("Что делает main.cpp?"));
    QCOMPARE(body.value(QLatin1String("conversation_id")).toString(), QStringLiteral("c-5"));
    QCOMPARE(body.contains(QLatin1String("model")), state.contains("model"));
}

QTEST_MAIN(AccountOpsTest)
#include "tst_accountops.moc"
