// The local service's productivity and notices routes, called as the client calls them:
// what each answers, what it refuses, and what a change does to the next list.

#include "accountfixture.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace vexa;
using namespace vexa::test;

namespace {

struct Call {
    QByteArray method;
    QString path;
    QByteArray body; // empty: none
};

} // namespace

Q_DECLARE_METATYPE(Call)
Q_DECLARE_METATYPE(QList<Call>)

class ProductivityRoutesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void routes_data();
    void routes();
    void needsSession();
};

void ProductivityRoutesTest::routes_data()
{
    QTest::addColumn<QList<Call>>("before");  // calls that must succeed first
    QTest::addColumn<Call>("call");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("member");      // a member of the reply (or the error) to check
    QTest::addColumn<QString>("expected");    // its compact JSON text

    const QList<Call> none;
    QTest::newRow("search across chats")
        << none << Call{"GET", "/api/productivity/search?q=Counter", {}} << true << "items.0.chat_id" << "1";
    QTest::newRow("search is case-insensitive, encoded query decoded")
        << none << Call{"GET", "/api/productivity/search?q=%D0%9A%D0%90%D0%97%D0%90%D0%9D", {}} << true << "items.0"
        << R"({"chat_id":4,"snippet":"Что посмотреть в Казани за два дня?","title":"Выходные в Казани"})";
    QTest::newRow("search too short") << none << Call{"GET", "/api/productivity/search?q=%20a", {}} << false << "error"
                                      << R"("Запрос слишком короткий: нужно минимум два символа.")";
    QTest::newRow("export of every chat") << none << Call{"GET", "/api/productivity/export", {}} << true << "count" << "11";
    QTest::newRow("export by id or number")
        << none << Call{"GET", "/api/productivity/export?chat_ids=chat-2,1", {}} << true << "count" << "5";
    QTest::newRow("export of an unknown chat")
        << none << Call{"GET", "/api/productivity/export?chat_ids=chat-99", {}} << false << "error"
        << R"("Чат не найден. Обновите список чатов.")";
    QTest::newRow("documents") << none << Call{"GET", "/api/productivity/documents", {}} << true << "items.0.id" << "101";
    QTest::newRow("use a document") << none << Call{"POST", "/api/productivity/document-use", R"({"id":102})"} << true
                                    << "ok" << "true";
    QTest::newRow("use an unknown document") << none << Call{"POST", "/api/productivity/document-use", R"({"id":7})"}
                                             << false << "error" << R"("Документ не найден: возможно, он удалён.")";
    QTest::newRow("document id as text") << none << Call{"POST", "/api/productivity/document-use", R"({"id":"101"})"}
                                         << false << "error" << R"("Не удалось прочитать запрос: ожидается «id».")";
    QTest::newRow("reminders") << none << Call{"GET", "/api/productivity/reminders", {}} << true << "items.1.reminder_text"
                               << R"("Оплатить аренду")";
    QTest::newRow("create a reminder")
        << QList<Call>{{"POST", "/api/productivity/reminders", R"({"text":"Полить цветы","when":"через 2 часа"})"}}
        << Call{"GET", "/api/productivity/reminders", {}} << true << "items.0.reminder_text" << R"("Полить цветы")";
    QTest::newRow("reminder without text")
        << none << Call{"POST", "/api/productivity/reminders", R"({"text":"  ","when":"через 2 часа"})"} << false
        << "error" << R"("Напишите, о чём напомнить.")";
    QTest::newRow("reminder without when") << none << Call{"POST", "/api/productivity/reminders", R"({"text":"x"})"}
                                           << false << "error" << R"("Не удалось прочитать запрос: ожидается «when».")";
    QTest::newRow("delete a reminder")
        << QList<Call>{{"DELETE", "/api/productivity/reminders", R"({"id":201})"}}
        << Call{"GET", "/api/productivity/reminders", {}} << true << "items.0.id" << "202";
    QTest::newRow("delete id 0") << none << Call{"DELETE", "/api/productivity/reminders", R"({"id":0})"} << false
                                 << "error" << R"("Напоминание не найдено: возможно, оно уже сработало.")";
    QTest::newRow("notices with preferences") << none << Call{"GET", "/api/notices", {}} << true << "preferences"
                                              << R"({"news":true,"promos":false})";
    QTest::newRow("read notices leave the list")
        << QList<Call>{{"POST", "/api/notices/read", R"({"id":"n-welcome"})"}}
        << Call{"GET", "/api/notices", {}} << true << "items.0.id" << R"("n-models")";
    QTest::newRow("promotions when wanted")
        << QList<Call>{{"POST", "/api/notices/preferences", R"({"news":false,"promos":true})"}}
        << Call{"GET", "/api/notices", {}} << true << "items.1.kind" << R"("promo")";
    QTest::newRow("preferences need Booleans")
        << none << Call{"POST", "/api/notices/preferences", R"({"news":1,"promos":true})"} << false << "error"
        << R"("Не удалось прочитать запрос: ожидается «news».")";
    QTest::newRow("unknown notice") << none << Call{"POST", "/api/notices/read", R"({"id":"nope"})"} << false
                                    << "error" << R"("Уведомление не найдено.")";
}

namespace {

QJsonValue at(const QJsonObject &object, const QString &dotted)
{
    QJsonValue value = object;
    for (const QString &part : dotted.split(QLatin1Char('.'))) {
        bool index = false;
        const int n = part.toInt(&index);
        value = index ? value.toArray().at(n) : value.toObject().value(part);
    }
    return value;
}

QString compact(const QJsonValue &value)
{
    if (value.isObject())
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}

QCoro::Task<Result<QByteArray>> send(VexaClient &client, Call call)
{
    std::optional<QJsonObject> body;
    if (!call.body.isEmpty())
        body = QJsonDocument::fromJson(call.body).object();
    co_return co_await client.requestData(call.path, call.method, body);
}

} // namespace

void ProductivityRoutesTest::routes()
{
    QFETCH(QList<Call>, before);
    QFETCH(Call, call);
    QFETCH(bool, ok);
    QFETCH(QString, member);
    QFETCH(QString, expected);

    OpsFixture f;
    for (const Call &step : before) {
        VEXA_AWAIT(done, send(*f.client, step));
        QVERIFY2(done.hasValue(), qPrintable(step.path));
    }
    VEXA_AWAIT(reply, send(*f.client, call));
    QCOMPARE(reply.hasValue(), ok);
    const auto requests = f.service.requests();
    QVERIFY(!requests.isEmpty());
    if (ok) {
        QCOMPARE(compact(at(QJsonDocument::fromJson(*reply).object(), member)), expected);
    } else {
        QCOMPARE(QStringLiteral("\"") + describe(reply.error()) + QStringLiteral("\""), expected);
    }
}

void ProductivityRoutesTest::needsSession()
{
    OpsFixture f;
    f.service.endSessions();
    VEXA_AWAIT(reply, f.client->utility(QStringLiteral("/api/productivity/documents")));
    QVERIFY(!reply);
    QVERIFY(std::holds_alternative<VexaError>(reply.error()));
}

QTEST_MAIN(ProductivityRoutesTest)
#include "tst_productivityroutes.moc"
