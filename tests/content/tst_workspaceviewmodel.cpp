// The workspace against the local service: memories and projects are created and deleted and
// the lists follow the state; white space is never sent; failures keep what was typed; saved
// answers page with the search that was submitted, keep their page number when a page fails,
// and go back to page 0 after a delete; recipes filter, copy and toggle favourites one at a time.

#include "awaittask.h"
#include "contentfixture.h"
#include "savedanswersviewmodel.h"
#include "servicestate.h"
#include "workspaceviewmodel.h"

#include <QJsonObject>
#include <QUrlQuery>

using namespace vexa;
using namespace vexa::test;

namespace {

// The search text a saved-answers request carried.
QString sentQuery(const service::RecordedRequest &request)
{
    return QUrlQuery(request.query).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded);
}

QString sentPage(const service::RecordedRequest &request)
{
    return QUrlQuery(request.query).queryItemValue(QStringLiteral("page"));
}

const QString kAnswers = QStringLiteral("/api/workspace/answers");

} // namespace

class WorkspaceViewModelTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ContentFixture> f;

    std::unique_ptr<SavedAnswersViewModel> answersCard()
    {
        auto card = std::make_unique<SavedAnswersViewModel>(f->client.get(), f->platform);
        card->appear();
        const bool ready = waitUntil([&] { return card->loaded() && !card->allRecipes().isEmpty(); });
        if (!ready)
            qWarning("the card did not load");
        f->service->clearRequests();
        return card;
    }

    // Fills the collection so that it has several pages of five.
    void saveAnswers(int count)
    {
        for (int i = 0; i < count; ++i)
            QVERIFY(awaitVoid(f->client->saveAnswer(QStringLiteral("Ответ номер %1 про Казань").arg(i))));
        f->client->clearNotice();
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<ContentFixture>();
        QVERIFY(f->start());
    }
    void cleanup()
    {
        f.reset();
    }

    void memoryIsCreatedAndDeleted()
    {
        WorkspaceViewModel vm(f->client.get());
        const qsizetype before = rowsOf(vm.memories()).size();
        vm.setMemoryText(QStringLiteral("Люблю чай с чабрецом\n"));
        QVERIFY(vm.canRemember());
        vm.remember();
        QVERIFY(waitUntil([&] { return rowsOf(vm.memories()).size() == before + 1; }));
        const auto posted = f->sent("POST", QStringLiteral("/api/memory"));
        QCOMPARE(posted.size(), 1);
        QCOMPARE(ContentFixture::body(posted.first()).value(QStringLiteral("content")).toString(),
                 QStringLiteral("Люблю чай с чабрецом\n")); // as typed
        QVERIFY(vm.memoryText().isEmpty());
        QVERIFY(waitUntil([&] { return vm.canRemember() == false && !vm.remembering(); }));

        const int row = int(before);
        const qint64 id = rowsOf(vm.memories()).at(row).toMap().value(QStringLiteral("rowId")).toLongLong();
        vm.askDeleteMemory(row);
        QVERIFY(vm.hasDeletingMemory());
        vm.confirmDeleteMemory();
        QVERIFY(!vm.hasDeletingMemory());
        QVERIFY(waitUntil([&] { return rowsOf(vm.memories()).size() == before; }));
        QCOMPARE(f->sent("DELETE", QStringLiteral("/api/memory/%1").arg(id)).size(), 1);
    }

    void dismissedDeleteSendsNothing()
    {
        WorkspaceViewModel vm(f->client.get());
        vm.askDeleteMemory(0);
        vm.cancelDelete();
        vm.confirmDeleteMemory();
        vm.askDeleteProject(0);
        vm.cancelDelete();
        vm.confirmDeleteProject();
        QTest::qWait(vexa::test::scaledMs(100));
        QVERIFY(f->service->requests().isEmpty());
    }

    void whiteSpaceIsNotSent_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("spaces") << QStringLiteral("   ");
        QTest::newRow("tabs") << QStringLiteral("\t");
        QTest::newRow("line breaks") << QStringLiteral("\n\n\n");
        QTest::newRow("carriage returns") << QStringLiteral("\r\n \r\n");
    }
    void whiteSpaceIsNotSent()
    {
        QFETCH(QString, text);
        WorkspaceViewModel vm(f->client.get());
        vm.setMemoryText(text);
        vm.setProjectName(text);
        QVERIFY(!vm.canRemember());
        QVERIFY(!vm.canSaveProject());
        vm.remember();
        vm.saveProject();
        QTest::qWait(vexa::test::scaledMs(100));
        QVERIFY(f->service->requests().isEmpty());
        QCOMPARE(vm.memoryText(), text);
    }

    void featureSwitchesDisable()
    {
        WorkspaceViewModel vm(f->client.get());
        vm.setMemoryText(QStringLiteral("Факт"));
        vm.setProjectName(QStringLiteral("Проект"));
        QVERIFY(vm.canRemember());
        QVERIFY(vm.canSaveProject());
        f->service->state().features.longMemory = false;
        f->service->state().features.projects = false;
        QVERIFY(awaitVoid(f->client->refresh()));
        QVERIFY(!vm.canRemember());
        QVERIFY(!vm.canSaveProject());
    }

    void failureKeepsWhatWasTyped()
    {
        WorkspaceViewModel vm(f->client.get());
        f->failNext("POST", QStringLiteral("/api/memory"), QStringLiteral("Память переполнена."));
        f->failNext("POST", QStringLiteral("/api/projects"), QStringLiteral("Слишком много проектов."));
        vm.setMemoryText(QStringLiteral("Мой кот — Барсик"));
        vm.setShowProjectForm(true);
        vm.setProjectName(QStringLiteral("Ремонт"));
        vm.setProjectDescription(QStringLiteral("Кухня и ванная"));
        vm.remember();
        QVERIFY(waitUntil([&] { return f->client->noticeText() == QStringLiteral("Память переполнена."); }));
        QVERIFY(waitUntil([&] { return !vm.remembering(); }));
        vm.saveProject();
        QVERIFY(waitUntil([&] { return f->client->noticeText() == QStringLiteral("Слишком много проектов."); }));
        QVERIFY(waitUntil([&] { return !vm.savingProject(); }));
        QCOMPARE(vm.memoryText(), QStringLiteral("Мой кот — Барсик"));
        QCOMPARE(vm.projectName(), QStringLiteral("Ремонт"));
        QCOMPARE(vm.projectDescription(), QStringLiteral("Кухня и ванная"));
        QVERIFY(vm.showProjectForm());
    }

    void textTypedWhileSavingStays()
    {
        WorkspaceViewModel vm(f->client.get());
        service::ScriptedReply slow;
        slow.body = R"({"ok":true})";
        slow.delay = std::chrono::milliseconds(300);
        slow.times = 1;
        f->service->script("POST", QStringLiteral("/api/memory"), slow);
        vm.setMemoryText(QStringLiteral("Первый факт"));
        vm.remember();
        QVERIFY(vm.remembering());
        vm.remember(); // a second press while the first is on its way sends nothing
        vm.setMemoryText(QStringLiteral("Первый факт и ещё"));
        QVERIFY(waitUntil([&] { return !vm.remembering(); }));
        QCOMPARE(vm.memoryText(), QStringLiteral("Первый факт и ещё"));
        QCOMPARE(f->sent("POST", QStringLiteral("/api/memory")).size(), 1);
    }

    void projectIsCreatedAndDeleted()
    {
        WorkspaceViewModel vm(f->client.get());
        const qsizetype before = rowsOf(vm.projects()).size();
        vm.toggleProjectForm();
        QVERIFY(vm.showProjectForm());
        vm.setProjectName(QStringLiteral("Свадьба сестры"));
        vm.setProjectDescription(QString());
        vm.saveProject();
        QVERIFY(waitUntil([&] { return rowsOf(vm.projects()).size() == before + 1; }));
        const auto posted = f->sent("POST", QStringLiteral("/api/projects"));
        QCOMPARE(posted.size(), 1);
        QCOMPARE(ContentFixture::body(posted.first()),
                 (QJsonObject{{QStringLiteral("name"), QStringLiteral("Свадьба сестры")},
                              {QStringLiteral("description"), QString()}}));
        QVERIFY(!vm.showProjectForm());
        QVERIFY(vm.projectName().isEmpty());

        const QVariantMap created = rowsOf(vm.projects()).first().toMap();
        QCOMPARE(created.value(QStringLiteral("name")).toString(), QStringLiteral("Свадьба сестры"));
        vm.askDeleteProject(0);
        vm.confirmDeleteProject();
        QVERIFY(waitUntil([&] { return rowsOf(vm.projects()).size() == before; }));
        QCOMPARE(f->sent("DELETE", QStringLiteral("/api/projects/%1")
                                      .arg(created.value(QStringLiteral("rowId")).toLongLong())).size(), 1);
    }

    void failedDeleteShowsTheError()
    {
        WorkspaceViewModel vm(f->client.get());
        const qsizetype before = rowsOf(vm.memories()).size();
        f->service->state().memories.removeFirst(); // deleted elsewhere meanwhile: the service answers 404
        vm.askDeleteMemory(0);
        vm.confirmDeleteMemory();
        QVERIFY(waitUntil([&] { return f->client->hasNotice(); }));
        QCOMPARE(f->client->noticeText(), QStringLiteral("Факт не найден: возможно, он уже удалён."));
        QVERIFY(!vm.hasDeletingMemory());
        QCOMPARE(rowsOf(vm.memories()).size(), before);
    }

    // ---- saved answers ----

    void nextIsDisabledUntilTheFirstPage()
    {
        service::ScriptedReply slow;
        slow.body = R"({"ok":true,"answers":[],"used":0,"capacity":50,"has_more":true})";
        slow.delay = std::chrono::milliseconds(300);
        f->service->script("GET", kAnswers, slow);
        SavedAnswersViewModel card(f->client.get(), f->platform);
        QVERIFY(!card.canPageForward());
        QVERIFY(!card.isEmpty()); // nothing said before the first load
        card.appear();
        QVERIFY(card.busy());
        QVERIFY(!card.canPageForward());
        QVERIFY(waitUntil([&] { return card.loaded(); }));
        QVERIFY(card.canPageForward());
        QVERIFY(card.isEmpty());
        QCOMPARE(card.usage(), QStringLiteral("0/50"));
    }

    void pagingKeepsTheSubmittedSearch()
    {
        saveAnswers(12);
        auto card = answersCard();
        card->setQuery(QStringLiteral("Казань"));
        card->search();
        QVERIFY(waitUntil([&] { return !card->busy(); }));
        QVERIFY(card->canPageForward());
        card->setQuery(QStringLiteral("Москва"));
        card->nextPage();
        QVERIFY(waitUntil([&] { return !card->busy() && card->page() == 1; }));
        const auto gets = f->sent("GET", kAnswers);
        QCOMPARE(gets.size(), 2);
        QCOMPARE(sentQuery(gets.at(0)), QStringLiteral("Казань"));
        QCOMPARE(sentPage(gets.at(1)), QStringLiteral("1"));
        QCOMPARE(sentQuery(gets.at(1)), QStringLiteral("Казань"));
        card->previousPage();
        QVERIFY(waitUntil([&] { return !card->busy() && card->page() == 0; }));
        QCOMPARE(sentQuery(f->sent("GET", kAnswers).last()), QStringLiteral("Казань"));
        QCOMPARE(card->query(), QStringLiteral("Москва")); // the field keeps what was typed
    }

    void failedPageKeepsThePageNumber()
    {
        saveAnswers(12); // with the demo answers: four pages of five
        auto card = answersCard();
        QCOMPARE(card->page(), 0);
        const QVariantList firstPage = rowsOf(card->answers());
        f->failNext("GET", kAnswers, QStringLiteral("Сервис занят."));
        card->nextPage();
        QVERIFY(waitUntil([&] { return !card->busy(); }));
        QCOMPARE(f->client->noticeText(), QStringLiteral("Сервис занят."));
        QCOMPARE(card->page(), 0);
        QCOMPARE(rowsOf(card->answers()), firstPage);
        QVERIFY(!card->canPageBack());
        card->nextPage();
        QVERIFY(waitUntil([&] { return !card->busy() && card->page() == 1; }));
        const auto gets = f->sent("GET", kAnswers);
        QCOMPARE(gets.size(), 2);
        QCOMPARE(sentPage(gets.at(0)), QStringLiteral("1"));
        QCOMPARE(sentPage(gets.at(1)), QStringLiteral("1")); // not page 2
        QVERIFY(rowsOf(card->answers()) != firstPage);
    }

    void deleteGoesBackToTheFirstPage()
    {
        saveAnswers(12);
        auto card = answersCard();
        for (int i = 0; i < 2; ++i) {
            card->nextPage();
            QVERIFY(waitUntil([&] { return !card->busy() && card->page() == i + 1; }));
        }
        const QVariantMap doomed = rowsOf(card->answers()).first().toMap();
        const QString usedBefore = card->usage();
        f->service->clearRequests();
        card->askDelete(0);
        QCOMPARE(card->deletingTitle(), doomed.value(QStringLiteral("title")).toString());
        card->confirmDelete();
        QVERIFY(waitUntil([&] { return !card->busy() && card->page() == 0 && card->usage() != usedBefore; }));
        QCOMPARE(f->sent("DELETE", kAnswers + QStringLiteral("/%1").arg(
                                                doomed.value(QStringLiteral("rowId")).toLongLong())).size(), 1);
        const auto gets = f->sent("GET", kAnswers);
        QCOMPARE(gets.size(), 1);
        QCOMPARE(sentPage(gets.first()), QStringLiteral("0"));
        QVERIFY(!card->hasDeleting());
        for (const QVariant &row : rowsOf(card->answers()))
            QVERIFY(row.toMap().value(QStringLiteral("rowId")) != doomed.value(QStringLiteral("rowId")));
    }

    void failedDeleteStaysOnThePage()
    {
        saveAnswers(6);
        auto card = answersCard();
        card->nextPage();
        QVERIFY(waitUntil([&] { return !card->busy() && card->page() == 1; }));
        const qint64 id = rowsOf(card->answers()).first().toMap().value(QStringLiteral("rowId")).toLongLong();
        f->failNext("DELETE", kAnswers + QStringLiteral("/%1").arg(id), QStringLiteral("Не вышло."));
        f->service->clearRequests();
        card->askDelete(0);
        card->confirmDelete();
        QVERIFY(waitUntil([&] { return f->client->noticeText() == QStringLiteral("Не вышло."); }));
        QTest::qWait(vexa::test::scaledMs(100));
        QCOMPARE(card->page(), 1);
        QVERIFY(!card->hasDeleting());
        QVERIFY(f->sent("GET", kAnswers).isEmpty());
    }

    void answerIsCopiedAndShared()
    {
        auto card = answersCard();
        const QString content = rowsOf(card->answers()).first().toMap().value(QStringLiteral("content")).toString();
        card->copyAnswer(0);
        card->shareAnswerByMail(0);
        card->copyAnswer(99);
        QCOMPARE(f->platform->copied, QStringList{content});
        QCOMPARE(f->platform->opened.size(), 1);
        QCOMPARE(f->platform->opened.first(), chat::mailUrl(content));
    }

    // ---- recipes ----

    void recipeIsCopiedWithItsFormat()
    {
        auto card = answersCard();
        card->setCategory(QStringLiteral("code"));
        const QVariantList visible = rowsOf(card->recipes());
        QVERIFY(!visible.isEmpty());
        const QString prompt = visible.first().toMap().value(QStringLiteral("prompt")).toString();
        card->copyRecipe(0);
        QCOMPARE(f->platform->copied, QStringList{prompt + QStringLiteral("\n\nВводные пользователя:\n")});
        QCOMPARE(f->client->noticeText(),
                 QStringLiteral("Запрос скопирован. Вставьте его в чат и добавьте свои вводные."));
    }

    void favouriteTogglesOneAtATime()
    {
        auto card = answersCard();
        card->setCategory(QStringLiteral("all"));
        const QVariantMap first = rowsOf(card->recipes()).first().toMap();
        const bool wasFavorite = first.value(QStringLiteral("isFavorite")).toBool();
        card->toggleFavorite(0);
        QVERIFY(card->pinning());
        card->toggleFavorite(1); // ignored while pinning
        QVERIFY(waitUntil([&] { return !card->pinning(); }));
        QCOMPARE(f->service->requests().size(), 1);
        const service::RecordedRequest sent = f->service->requests().first();
        QCOMPARE(sent.path, QStringLiteral("/api/workspace/recipes/%1/favorite")
                                .arg(first.value(QStringLiteral("rowId")).toString()));
        QCOMPARE(ContentFixture::body(sent).value(QStringLiteral("enabled")).toBool(), !wasFavorite);
        QCOMPARE(rowsOf(card->recipes()).first().toMap().value(QStringLiteral("isFavorite")).toBool(), !wasFavorite);

        card->setCategory(QStringLiteral("favorites"));
        for (const QVariant &row : rowsOf(card->recipes()))
            QVERIFY(row.toMap().value(QStringLiteral("title")).toString().startsWith(QStringLiteral("⭐ ")));
    }
};

QTEST_MAIN(WorkspaceViewModelTest)
#include "tst_workspaceviewmodel.moc"
