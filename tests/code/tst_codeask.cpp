// Questions about a code project, against the local service hosted in-process: the prompt
// sent, the conversation created once, the stored transcript and its trimming, failures, and
// a request that keeps to the project it started with.

#include "awaittask.h"
#include "codefixtures.h"
#include "codeprojectstore.h"
#include "localservice.h"
#include "vexaclient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QSignalSpy>
#include <QTest>

using namespace vexa;
using namespace vexa::test;
using vexa::service::LocalService;
using vexa::service::RecordedRequest;
using vexa::service::ScriptedReply;

namespace {
constexpr qint64 kUser = 42;

const QString kInstruction = QStringLiteral(
    "Ты помощник по программированию. Работай с локальным проектом Демо. Предлагай конкретные "
    "изменения и объясняй их; не утверждай, что изменил файлы сам.\n");

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

ScriptedReply reply(const QByteArray &body, int times = -1, int delayMs = 0)
{
    ScriptedReply scripted;
    scripted.body = body;
    scripted.times = times;
    scripted.delay = std::chrono::milliseconds(delayMs);
    return scripted;
}

QByteArray conversationReply(const QString &id)
{
    return json({{"ok", true}, {"chats", QJsonArray()}, {"active_chat_id", id}});
}

QByteArray answerReply(const QString &answer)
{
    return json({{"ok", true}, {"answer", answer}});
}

QJsonObject bodyOf(const RecordedRequest &request)
{
    return QJsonDocument::fromJson(request.body).object();
}
} // namespace

class TestCodeAsk : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LocalService> m_service;
    std::unique_ptr<VexaClient> m_client;
    std::unique_ptr<CodeProjectStore> m_store;
    QUuid m_projectID;

    QString dataRoot() const { return m_dir->path() + QStringLiteral("/data"); }
    std::optional<CodeProject> onDisk(const QUuid &id) { return readProject(dataRoot(), kUser, id); }
    std::optional<CodeProject> onDisk() { return onDisk(m_projectID); }

    bool ask(const QString &question)
    {
        return awaitVoid(m_store->ask(question, m_client.get()));
    }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_service = std::make_unique<LocalService>();
        QVERIFY(m_service->listen());
        m_client = std::make_unique<VexaClient>(m_service->baseUrl().toString(),
                                                m_dir->filePath("cookies"));
        m_store = std::make_unique<CodeProjectStore>();
        m_store->setDataRoot(dataRoot());
        m_store->openAccount(kUser);
        m_store->createProject(QStringLiteral("Демо"));
        QVERIFY(m_store->hasProject());
        m_projectID = *m_store->selectedProjectID();
    }

    void cleanup()
    {
        m_store.reset();
        m_client.reset();
        m_service.reset();
        m_dir.reset();
    }

    void prompt_data()
    {
        QTest::addColumn<int>("fileLength");  // -1: no file open
        QTest::addColumn<int>("questionLength");
        QTest::newRow("no file") << -1 << 20;
        QTest::newRow("6000-character file, unsaved") << 6000 << 20;
        QTest::newRow("2000-character question") << -1 << 2000;
        QTest::newRow("short file, long question") << 10 << 2000;
    }

    void prompt()
    {
        QFETCH(int, fileLength);
        QFETCH(int, questionLength);
        m_service->script("POST", "/api/chats", reply(conversationReply("c-1")));
        m_service->script("POST", "/api/chat", reply(answerReply("Ответ")));

        QString block;
        if (fileLength >= 0) {
            m_store->createFile(QStringLiteral("main.py"));
            // Unsaved edits count: the excerpt is the editor's text.
            QString text;
            for (int i = 0; i < fileLength; ++i)
                text.append(QChar(u'а' + i % 32));
            m_store->setEditorText(text);
            block = QStringLiteral("Файл: main.py\n```\n") + text.left(5000) + QStringLiteral("\n```\n");
        }
        QString question;
        for (int i = 0; i < questionLength; ++i)
            question.append(QChar('a' + i % 26));

        QVERIFY(ask(QStringLiteral(" \n") + question + QStringLiteral("\t")));
        QVERIFY(!m_store->hasNotice());
        const auto requests = m_service->requests("/api/chat");
        QCOMPARE(requests.size(), 1);
        const QJsonObject body = bodyOf(requests.first());
        QCOMPARE(body.value("message").toString(),
                 kInstruction + block + QStringLiteral("Запрос: ") + question.left(1500));
        QCOMPARE(body.value("conversation_id").toString(), QStringLiteral("c-1"));

        // The transcript keeps the whole trimmed question.
        const auto project = onDisk();
        QVERIFY(project);
        QCOMPARE(project->messages.size(), 2);
        QCOMPARE(project->messages.at(0).role, ChatEntry::Role::User);
        QCOMPARE(project->messages.at(0).text, question);
        QCOMPARE(project->messages.at(1).role, ChatEntry::Role::Assistant);
        QCOMPARE(project->messages.at(1).text, QStringLiteral("Ответ"));
        QVERIFY(project->messages.at(1).imageURL == std::nullopt);
        // The file itself is not saved by asking.
        if (fileLength >= 0)
            QCOMPARE(readBytes(*m_store->projectFolder() + "/main.py"), std::optional<QByteArray>(""));
    }

    void conversationCreatedOnceAndStoredFirst()
    {
        m_service->script("POST", "/api/chats", reply(conversationReply("code-7")));
        m_service->script("POST", "/api/chat", reply(answerReply("Да")));
        // What is on disk at the moment each question reaches the service.
        QList<std::optional<CodeProject>> seen;
        connect(m_service.get(), &LocalService::requestReceived, this,
                [&](const RecordedRequest &request) {
                    if (request.path == QStringLiteral("/api/chat"))
                        seen.append(onDisk());
                });

        QVERIFY(ask(QStringLiteral("первый")));
        QVERIFY(ask(QStringLiteral("второй")));

        const auto created = m_service->requests("/api/chats");
        QCOMPARE(created.size(), 1);
        QCOMPARE(created.first().method, QByteArray("POST"));
        QCOMPARE(bodyOf(created.first()), QJsonObject());
        QCOMPARE(seen.size(), 2);
        QVERIFY(seen[0] && seen[1]);
        QCOMPARE(seen[0]->conversationID, std::optional<QString>("code-7"));
        QCOMPARE(seen[0]->messages.size(), 1);
        QCOMPARE(seen[0]->messages.last().text, QStringLiteral("первый"));
        QCOMPARE(seen[1]->messages.size(), 3);
        for (const RecordedRequest &request : m_service->requests("/api/chat"))
            QCOMPARE(bodyOf(request).value("conversation_id").toString(), QStringLiteral("code-7"));

        // The store's copy is the one on disk.
        QCOMPARE(m_store->project()->messages.size(), 4);
        QCOMPARE(m_store->project()->conversationID, std::optional<QString>("code-7"));
        QCOMPARE(m_store->projects().first().id, m_projectID);
    }

    void trimmedOnlyAfterAnAnswer_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("78 + 2") << 78 << 80;
        QTest::newRow("79 + 2") << 79 << 80;
        QTest::newRow("80 + 2") << 80 << 80;
    }

    void trimmedOnlyAfterAnAnswer()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        CodeProject project = *m_store->project();
        project.conversationID = QStringLiteral("c-1");
        for (int i = 0; i < before; ++i)
            project.messages.append(ChatEntry::make(i % 2 ? ChatEntry::Role::Assistant : ChatEntry::Role::User,
                                                    QString::number(i)));
        QVERIFY(m_store->save(project));
        m_store->update(project);
        m_service->script("POST", "/api/chat", reply(answerReply("последний")));
        qsizetype atRequest = -1;
        connect(m_service.get(), &LocalService::requestReceived, this,
                [&](const RecordedRequest &request) {
                    if (request.path == QStringLiteral("/api/chat"))
                        atRequest = onDisk()->messages.size();
                });

        QVERIFY(ask(QStringLiteral("вопрос")));
        QCOMPARE(atRequest, before + 1);
        const auto stored = onDisk();
        QCOMPARE(stored->messages.size(), after);
        QCOMPARE(stored->messages.last().text, QStringLiteral("последний"));
        QCOMPARE(stored->messages.at(after - 2).text, QStringLiteral("вопрос"));
        QCOMPARE(stored->messages.first().text, QString::number(before + 2 - after));
        QCOMPARE(m_service->requests("/api/chats").size(), 0);
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("conversation"); // empty: the project already has one
        QTest::addColumn<int>("chatStatus");
        QTest::addColumn<QByteArray>("chatBody");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<int>("storedEntries");
        QTest::newRow("service refuses the question")
            << QByteArray() << 200 << json({{"ok", false}, {"error", "Лимит исчерпан"}})
            << QStringLiteral("AI-запрос не выполнен: Лимит исчерпан") << 1;
        QTest::newRow("empty answer")
            << QByteArray() << 200 << json({{"ok", true}, {"answer", ""}})
            << QStringLiteral("AI-запрос не выполнен: Не удалось прочитать ответ сервера. Повторите попытку.")
            << 1;
        QTest::newRow("conversation without id")
            << json({{"ok", true}, {"chats", QJsonArray()}}) << 200 << answerReply("never")
            << QStringLiteral("AI-запрос не выполнен: Не удалось прочитать ответ сервера. Повторите попытку.")
            << 0;
    }

    void failures()
    {
        QFETCH(QByteArray, conversation);
        QFETCH(int, chatStatus);
        QFETCH(QByteArray, chatBody);
        QFETCH(QString, notice);
        QFETCH(int, storedEntries);
        if (conversation.isEmpty()) {
            CodeProject project = *m_store->project();
            project.conversationID = QStringLiteral("c-1");
            QVERIFY(m_store->save(project));
            m_store->update(project);
        } else {
            m_service->script("POST", "/api/chats", reply(conversation));
        }
        ScriptedReply chat = reply(chatBody);
        chat.status = chatStatus;
        m_service->script("POST", "/api/chat", chat);

        QSignalSpy busy(m_store.get(), &CodeProjectStore::busyChanged);
        QVERIFY(ask(QStringLiteral("вопрос")));
        QCOMPARE(m_store->noticeText(), notice);
        QVERIFY(!m_store->busy());
        QCOMPARE(busy.count(), 2);
        const auto stored = onDisk();
        QCOMPARE(stored->messages.size(), storedEntries);
        QCOMPARE(m_store->project()->messages.size(), storedEntries);
        if (storedEntries == 0) {
            QCOMPARE(stored->conversationID, std::nullopt);
            QCOMPARE(m_service->requests("/api/chat").size(), 0);
        } else {
            QCOMPARE(stored->messages.first().role, ChatEntry::Role::User);
        }
    }

    void oneQuestionAtATime()
    {
        m_service->script("POST", "/api/chats", reply(conversationReply("c-1")));
        m_service->script("POST", "/api/chat", reply(answerReply("ok"), -1, 200));
        auto first = m_store->ask(QStringLiteral("один"), m_client.get());
        QVERIFY(m_store->busy()); // set before the first suspension
        QVERIFY(ask(QStringLiteral("два")));  // returns at once
        QVERIFY(awaitVoid(std::move(first)));
        QVERIFY(!m_store->busy());
        QCOMPARE(m_service->requests("/api/chat").size(), 1);
        QCOMPARE(onDisk()->messages.size(), 2);
    }

    // The whole road against the local service's own endpoints: sign in, create a project
    // and a file, ask, and find the conversation again in a fresh store ("after a restart").
    void endToEnd()
    {
        m_service->setFixedCode(QStringLiteral("123456"));
        QVERIFY(awaitVoid(m_client->signIn(QStringLiteral("123456"))));
        QVERIFY(m_client->isSignedIn());
        const qint64 user = *m_client->state()->user->userID;

        CodeProjectStore store;
        store.setDataRoot(dataRoot());
        store.openAccount(user);
        store.createProject(QStringLiteral("Калькулятор"));
        store.createFile(QStringLiteral("calc.py"));
        store.setEditorText(QStringLiteral("def add(a, b):\n    return a - b\n"));
        store.saveFile(false);
        QVERIFY(awaitVoid(store.ask(QStringLiteral("Почему add вычитает?"), m_client.get())));
        QVERIFY2(!store.hasNotice(), qPrintable(store.noticeText()));
        const QString conversation = store.project()->conversationID.value_or(QString());
        QVERIFY(!conversation.isEmpty());
        QVERIFY(awaitVoid(store.ask(QStringLiteral("А как исправить?"), m_client.get())));
        QVERIFY2(!store.hasNotice(), qPrintable(store.noticeText()));

        CodeProjectStore restarted;
        restarted.setDataRoot(dataRoot());
        restarted.openAccount(user);
        QCOMPARE(restarted.projects().size(), 1);
        const CodeProject project = *restarted.project();
        QCOMPARE(project.name, QStringLiteral("Калькулятор"));
        QCOMPARE(project.conversationID, std::optional<QString>(conversation));
        QCOMPARE(project.messages.size(), 4);
        QCOMPARE(project.messages.at(0).text, QStringLiteral("Почему add вычитает?"));
        QVERIFY(!project.messages.at(1).text.isEmpty());
        QCOMPARE(project.messages.at(1).role, ChatEntry::Role::Assistant);
        QCOMPARE(restarted.files(), QStringList{"calc.py"});
        const auto chats = m_service->requests("/api/chats");
        QCOMPARE(std::count_if(chats.cbegin(), chats.cend(),
                               [](const RecordedRequest &r) { return r.method == "POST"; }),
                 1);
        qInfo("answer: %s", qPrintable(project.messages.at(1).text.left(300)));
    }

    // A request keeps to the project and the account folder it started with.
    void keepsToItsProject_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("another project selected") << QStringLiteral("project");
        QTest::newRow("another account opened") << QStringLiteral("account");
        QTest::newRow("signed out") << QStringLiteral("signout");
    }

    void keepsToItsProject()
    {
        QFETCH(QString, change);
        const QUuid started = m_projectID;
        m_store->createFile(QStringLiteral("a.py"));
        m_store->setEditorText(QStringLiteral("print(1)"));
        m_store->createProject(QStringLiteral("Другой"));
        const QUuid other = *m_store->selectedProjectID();
        m_store->createFile(QStringLiteral("b.py"));
        m_store->setEditorText(QStringLiteral("print(2)"));
        m_store->selectProject(started);
        m_store->selectFile(QStringLiteral("a.py"));

        m_service->script("POST", "/api/chats", reply(conversationReply("c-1"), -1, 150));
        m_service->script("POST", "/api/chat", reply(answerReply("ответ"), -1, 150));
        auto task = m_store->ask(QStringLiteral("вопрос"), m_client.get());
        if (change == QStringLiteral("project")) {
            m_store->selectProject(other);
            m_store->selectFile(QStringLiteral("b.py"));
        } else if (change == QStringLiteral("account")) {
            m_store->openAccount(kUser + 1);
        } else {
            m_store->openAccount(std::nullopt);
        }
        QVERIFY(awaitVoid(std::move(task)));

        QVERIFY(!m_store->hasNotice());
        const auto asked = onDisk(started);
        QCOMPARE(asked->messages.size(), 2);
        QCOMPARE(asked->conversationID, std::optional<QString>("c-1"));
        QCOMPARE(onDisk(other)->messages.size(), 0);
        QCOMPARE(onDisk(other)->conversationID, std::nullopt);
        // The question carried the file that was open when it was asked.
        const QString message = bodyOf(m_service->requests("/api/chat").first()).value("message").toString();
        QVERIFY(message.contains(QStringLiteral("Файл: a.py\n```\nprint(1)\n```\n")));
        QVERIFY(!message.contains(QStringLiteral("print(2)")));
        if (change == QStringLiteral("project")) {
            QCOMPARE(m_store->selectedProjectID(), std::optional<QUuid>(other));
            QCOMPARE(m_store->project()->messages.size(), 0);
            const auto listed = std::find_if(m_store->projects().cbegin(), m_store->projects().cend(),
                                             [&](const CodeProject &p) { return p.id == started; });
            QCOMPARE(listed->messages.size(), 2);
            QCOMPARE(m_store->projects().first().id, started); // newest first
        } else {
            // Nothing of this account's project reached the other account's folder.
            QVERIFY(!QFileInfo::exists(projectFolder(dataRoot(), kUser + 1, started)));
            QVERIFY(m_store->projects().isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestCodeAsk)
#include "tst_codeask.moc"
