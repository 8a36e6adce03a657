// The productivity sheet against the local service: every call it makes, a section's reply
// never showing under another section, the two-character search minimum, and what a failure
// leaves on screen.

#include "awaittask.h"
#include "accountfixture.h"
#include "utilityviewmodel.h"

#include <QSignalSpy>
#include <QStandardPaths>

using namespace vexa;
using namespace vexa::test;

namespace {

struct Sheet {
    OpsFixture f;
    std::shared_ptr<FakeImagesPlatform> platform = std::make_shared<FakeImagesPlatform>();
    UtilityViewModel view{platform};

    Sheet()
    {
        QVERIFY(f.restore());
        view.setClient(f.client.get());
        view.setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    }
    bool settled() { return waitUntil([this] { return !view.busy(); }); }
    QStringList titles() const
    {
        QStringList out;
        for (const auto &row : view.rows()->rows())
            out.append(row.title);
        return out;
    }
    int find(const QString &title) const { return int(titles().indexOf(title)); }
};

} // namespace

class UtilityViewModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void openingNeedsTwoCharacters();
    void searchEncodesAndOpensChat();
    void exportOfActiveChat();
    void documents();
    void remindersCreateAndDelete();
    void refusedReminderKeepsText();
    void noticesReadAndPreferences();
    void lateReplyOfAnotherSection_data();
    void lateReplyOfAnotherSection();
    void refreshWhileLoadingDoesNothing();
    void failureKeepsRows();
};

void UtilityViewModelTest::openingNeedsTwoCharacters()
{
    Sheet s;
    s.view.present();
    QCOMPARE(s.view.mode(), QStringLiteral("Поиск"));
    QCOMPARE(s.view.when(), QStringLiteral("через 30 минут"));
    QCOMPARE(s.view.info(), QStringLiteral("Введите минимум два символа."));
    QVERIFY(!s.view.busy());
    s.view.setQuery(QStringLiteral("к"));
    VEXA_AWAIT_VOID(s.view.runLoad());
    QCOMPARE(s.view.info(), QStringLiteral("Введите минимум два символа."));
    QCOMPARE(s.f.count(QStringLiteral("/api/productivity/search")), 0);
}

void UtilityViewModelTest::searchEncodesAndOpensChat()
{
    Sheet s;
    s.view.present();
    s.view.setQuery(QStringLiteral("C++ & C=1"));
    VEXA_AWAIT_VOID(s.view.runLoad());
    const auto searches = s.f.service.requests(QStringLiteral("/api/productivity/search"));
    QCOMPARE(searches.size(), 1);
    QCOMPARE(searches.last().query, QStringLiteral("q=C%2B%2B%20%26%20C%3D1"));
    QCOMPARE(s.view.info(), QStringLiteral("Пока ничего нет."));

    s.view.setQuery(QStringLiteral("эчпочмак"));
    VEXA_AWAIT_VOID(s.view.runLoad());
    QVERIFY(!s.view.rows()->rows().isEmpty());
    const auto &hit = s.view.rows()->rows().first();
    QCOMPARE(hit.title, QStringLiteral("Выходные в Казани"));
    QCOMPARE(hit.chatID, std::optional<QString>(QStringLiteral("4")));

    // Another chat first, so that opening the hit is seen to switch.
    VEXA_AWAIT_VOID(s.f.client->selectChat(QStringLiteral("chat-1")));
    QSignalSpy closed(&s.view, &UtilityViewModel::closeRequested);
    VEXA_AWAIT_VOID(s.view.runOpenChat(0));
    QCOMPARE(closed.size(), 1);
    QCOMPARE(s.f.client->activeChatIDText(), QStringLiteral("chat-4"));
    QCOMPARE(s.f.lastBody(QStringLiteral("/api/chats/select")).value("chat_id").toString(), QStringLiteral("4"));
}

void UtilityViewModelTest::exportOfActiveChat()
{
    Sheet s;
    s.view.present();
    s.view.setMode(QStringLiteral("Экспорт"));
    QVERIFY(s.settled());
    const auto exports = s.f.service.requests(QStringLiteral("/api/productivity/export"));
    QCOMPARE(exports.size(), 1);
    QCOMPARE(exports.last().query, QStringLiteral("chat_ids=chat-4"));
    QVERIFY(s.view.exported().startsWith(QStringLiteral("# Выходные в Казани")));
    QCOMPARE(s.view.info(), QStringLiteral("Сообщений: 4"));

    s.view.saveExport(QUrl::fromLocalFile(QStringLiteral("/tmp/диалог")));
    QCOMPARE(s.platform->savedTexts.size(), 1);
    QCOMPARE(s.platform->savedTexts.first().first, QStringLiteral("/tmp/диалог.md"));
    QCOMPARE(s.platform->savedTexts.first().second, s.view.exported());
    s.view.copyExport();
    QCOMPARE(s.platform->copiedTexts, QStringList{s.view.exported()});
}

void UtilityViewModelTest::documents()
{
    Sheet s;
    s.view.present();
    s.view.setMode(QStringLiteral("Документы"));
    QVERIFY(s.settled());
    QCOMPARE(s.view.rows()->rowCount(), 3);
    VEXA_AWAIT_VOID(s.view.runRowAction(0, QStringLiteral("/api/productivity/document-use"),
                                        {{QStringLiteral("id"), 101}}, "POST",
                                        QStringLiteral("Документ выбран. Вернитесь в чат и задайте вопрос."), false));
    QCOMPARE(s.view.info(), QStringLiteral("Документ выбран. Вернитесь в чат и задайте вопрос."));
    // The command sends the row's own id as an integer.
    s.view.useDocument(1);
    QVERIFY(waitUntil([&] { return s.f.count(QStringLiteral("/api/productivity/document-use")) == 2; }));
    QCOMPARE(s.f.lastBody(QStringLiteral("/api/productivity/document-use")).value("id").toInteger(), 102);
}

void UtilityViewModelTest::remindersCreateAndDelete()
{
    Sheet s;
    s.view.present();
    s.view.setMode(QStringLiteral("Напоминания"));
    QVERIFY(s.settled());
    const int before = s.view.rows()->rowCount();
    QVERIFY(before > 0);
    QVERIFY(!s.view.rows()->data(s.view.rows()->index(0), UtilityRowModel::DueDateRole).toString().isEmpty());

    s.view.setQuery(QStringLiteral("Купить хлеб"));
    s.view.setWhen(QStringLiteral("через 10 минут"));
    VEXA_AWAIT_VOID(s.view.runCreateReminder());
    QVERIFY(s.settled());
    QCOMPARE(s.view.query(), QString());
    const int created = s.find(QStringLiteral("Купить хлеб"));
    QVERIFY(created >= 0);
    QCOMPARE(s.view.rows()->rowCount(), before + 1);
    const auto sent = s.f.service.requests(QStringLiteral("/api/productivity/reminders"));
    const auto post = std::find_if(sent.begin(), sent.end(), [](const auto &r) { return r.method == "POST"; });
    QVERIFY(post != sent.end());
    QCOMPARE(QJsonDocument::fromJson(post->body).object(),
             QJsonObject({{QStringLiteral("text"), QStringLiteral("Купить хлеб")},
                          {QStringLiteral("when"), QStringLiteral("через 10 минут")}}));

    s.view.deleteReminder(created);
    QVERIFY(waitUntil([&] { return s.find(QStringLiteral("Купить хлеб")) < 0 && !s.view.busy(); }));
    QCOMPARE(s.view.rows()->rowCount(), before);
    const auto requests = s.f.service.requests(QStringLiteral("/api/productivity/reminders"));
    const auto deleted = std::find_if(requests.begin(), requests.end(),
                                      [](const auto &r) { return r.method == "DELETE"; });
    QVERIFY(deleted != requests.end());
    QVERIFY(QJsonDocument::fromJson(deleted->body).object().value("id").toInteger() > 0);
}

void UtilityViewModelTest::refusedReminderKeepsText()
{
    Sheet s;
    s.view.present();
    s.view.setMode(QStringLiteral("Напоминания"));
    QVERIFY(s.settled());
    s.view.setQuery(QStringLiteral("Позвонить маме"));
    s.view.setWhen(QStringLiteral("когда-нибудь"));
    VEXA_AWAIT_VOID(s.view.runCreateReminder());
    QVERIFY(s.view.info().startsWith(QStringLiteral("Не удалось понять время")));
    QCOMPARE(s.view.query(), QStringLiteral("Позвонить маме"));
    QCOMPARE(s.view.when(), QStringLiteral("когда-нибудь"));
}

void UtilityViewModelTest::noticesReadAndPreferences()
{
    Sheet s;
    s.view.present();
    s.view.setMode(QStringLiteral("Уведомления"));
    QVERIFY(s.settled());
    QVERIFY(s.view.news());
    QVERIFY(!s.view.promos());
    const QStringList unread = s.titles();
    QCOMPARE(unread.size(), 2);

    s.view.markRead(0);
    QVERIFY(waitUntil([&] { return s.titles().size() == 1 && !s.view.busy(); }));
    QCOMPARE(s.f.lastBody(QStringLiteral("/api/notices/read")).value("id").toString(), QStringLiteral("n-welcome"));

    s.view.setPromos(true);
    VEXA_AWAIT_VOID(s.view.runSavePreferences());
    QVERIFY(s.settled());
    QCOMPARE(s.f.lastBody(QStringLiteral("/api/notices/preferences")),
             QJsonObject({{QStringLiteral("news"), true}, {QStringLiteral("promos"), true}}));
    const int promo = s.find(QStringLiteral("−30 % на Vexa Pro до воскресенья"));
    QVERIFY(promo >= 0);
    QVERIFY(s.view.rows()->data(s.view.rows()->index(promo), UtilityRowModel::PromoRole).toBool());
    s.view.openLink(promo);
    QCOMPARE(s.platform->opened, QList<QUrl>{QUrl(QStringLiteral("https://t.me/VexaAIBot?start=promo"))});
}

void UtilityViewModelTest::lateReplyOfAnotherSection_data()
{
    QTest::addColumn<QString>("slowPath");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("rows");      // rows shown at the end
    QTest::addColumn<QString>("info");

    QTest::newRow("documents answer after reminders were asked for")
        << "/api/productivity/documents" << "Документы" << "Напоминания" << 2 << "";
    QTest::newRow("notices answer after export was asked for")
        << "/api/notices" << "Уведомления" << "Экспорт" << 0 << "Сообщений: 4";
    QTest::newRow("reminders answer after going back to search")
        << "/api/productivity/reminders" << "Напоминания" << "Поиск" << 0 << "Введите минимум два символа.";
}

void UtilityViewModelTest::lateReplyOfAnotherSection()
{
    QFETCH(QString, slowPath);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, rows);
    QFETCH(QString, info);

    Sheet s;
    s.view.present();
    s.f.script("GET", slowPath, 200,
               R"({"ok":true,"items":[{"title":"Чужая строка","id":"x","due_at":1,"file_name":"a"}]})", 400);
    s.view.setMode(first);
    QVERIFY(s.view.busy());
    s.view.setMode(second);
    QCOMPARE(s.view.rows()->rowCount(), 0); // nothing of the first section stays
    QVERIFY(s.settled());
    QTest::qWait(vexa::test::scaledMs(600)); // the slow reply has arrived by now
    QVERIFY(!s.view.busy());
    QVERIFY(s.find(QStringLiteral("Чужая строка")) < 0);
    QCOMPARE(s.view.rows()->rowCount(), rows);
    if (!info.isEmpty())
        QCOMPARE(s.view.info(), info);
}

void UtilityViewModelTest::refreshWhileLoadingDoesNothing()
{
    Sheet s;
    s.view.present();
    s.f.script("GET", QStringLiteral("/api/productivity/documents"), 200, R"({"ok":true,"items":[]})", 300);
    s.view.setMode(QStringLiteral("Документы"));
    QVERIFY(s.view.busy());
    s.view.load();
    s.view.load();
    QVERIFY(s.settled());
    QCOMPARE(s.f.count(QStringLiteral("/api/productivity/documents")), 1);
    QCOMPARE(s.view.info(), QStringLiteral("Пока ничего нет."));
}

void UtilityViewModelTest::failureKeepsRows()
{
    Sheet s;
    s.view.present();
    s.view.setMode(QStringLiteral("Документы"));
    QVERIFY(s.settled());
    const QStringList shown = s.titles();
    s.f.script("GET", QStringLiteral("/api/productivity/documents"), 503,
               R"({"ok":false,"error":"Сервис документов на обслуживании."})");
    VEXA_AWAIT_VOID(s.view.runLoad());
    QCOMPARE(s.view.info(), QStringLiteral("Сервис документов на обслуживании."));
    QCOMPARE(s.titles(), shown);
    QVERIFY(!s.f.client->hasNotice()); // the sheet reports in its own line
}

QTEST_MAIN(UtilityViewModelTest)
#include "tst_utilityviewmodel.moc"
