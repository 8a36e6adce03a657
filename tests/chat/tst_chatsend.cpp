// The chat screen and the chat list against the in-process local service: a message goes out
// and the screen ends on the service's copy; answers are read aloud only when one arrived; the
// list switches and creates chats, and stays still while a message is on its way.

#include "answerblocks.h"
#include "answermodel.h"
#include "awaittask.h"
#include "chatfixture.h"
#include "chatlistviewmodel.h"
#include "composerequests.h"
#include "cookiestore.h"
#include "localservice.h"
#include "servicestate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkCookie>
#include <QSignalSpy>

using namespace vexa;
using namespace vexa::test;
using namespace vexa::voice;

namespace {

struct ServiceRig {
    QTemporaryDir dir;
    service::LocalService service;
    std::unique_ptr<VexaClient> client;

    ServiceRig()
    {
        QVERIFY(service.listen());
        client = std::make_unique<VexaClient>(service.baseUrl().toString(),
                                              dir.filePath(QStringLiteral("cookies")));
        QNetworkCookie cookie(service::LocalService::cookieName(), service.createSession());
        cookie.setPath(QStringLiteral("/"));
        client->cookieJar()->setCookiesFromUrl({cookie}, service.baseUrl());
    }

    bool restore() { return awaitVoid(client->restoreSession()) && client->isSignedIn(); }

    void script(const QByteArray &method, const QString &path, int status, const QByteArray &body,
                int delayMs = 0, int times = 1)
    {
        service::ScriptedReply reply;
        reply.status = status;
        reply.body = body;
        reply.delay = std::chrono::milliseconds(delayMs);
        reply.times = times;
        service.script(method, path, reply);
    }

    // The active chat as the service keeps it: "role:text" per message.
    QStringList serverCopy()
    {
        QStringList messages;
        const auto *chat = service.state().findChat(service.state().activeChatId);
        if (!chat)
            return messages;
        for (const auto &message : chat->messages)
            messages.append(message.role + QLatin1Char(':') + message.text);
        return messages;
    }
};

QStringList shown(const VexaClient &client)
{
    QStringList messages;
    for (const ChatEntry &entry : client.entries())
        messages.append(QLatin1String(entry.role == ChatEntry::Role::User ? "user" : "assistant")
                        + QLatin1Char(':') + entry.text);
    return messages;
}

} // namespace

class ChatSendTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QStandardPaths::setTestModeEnabled(true); }
    void conversationEndsOnTheServersCopy();
    void attachmentsGoOut();
    void autoSpeak_data();
    void autoSpeak();
    void composerOnItsOwn_data();
    void composerOnItsOwn();
    void chatListSwitchesAndCreates();
    void chatListStillWhileSending();
    void newChatAskedFromOutside_data();
    void newChatAskedFromOutside();
};

void ChatSendTest::conversationEndsOnTheServersCopy()
{
    ServiceRig svc;
    QVERIFY(svc.restore());
    ChatRig rig(svc.client.get());
    const qsizetype before = svc.client->entries().size();
    QSignalSpy scrolls(rig.view.get(), &ChatViewModel::scrollToEndRequested);
    QSignalSpy thinking(rig.view.get(), &ChatViewModel::busyChanged);

    rig.composer()->setDraft(QStringLiteral("Напиши функцию на Python для суммы"));
    rig.composer()->send();

    // At once: composer empty, the message shown, Vexa thinking.
    QCOMPARE(rig.composer()->draft(), QString());
    QVERIFY(rig.view->thinking());
    QCOMPARE(svc.client->entries().size(), before + 1);
    QCOMPARE(svc.client->entries().last().text,
             QStringLiteral("Напиши функцию на Python для суммы"));
    QCOMPARE(rig.view->visibleEntries()->rowCount(), int(before + 1));
    QCOMPARE(scrolls.count(), 1);

    QVERIFY(waitUntil([&] { return !svc.client->sending(); }));
    QVERIFY2(!svc.client->hasNotice(), qPrintable(svc.client->noticeText()));
    QVERIFY(!rig.view->thinking());
    QVERIFY(thinking.count() >= 2);

    // The screen shows exactly what the service keeps, the answer last (with its code block).
    const QStringList server = svc.serverCopy();
    QCOMPARE(shown(*svc.client), server);
    QCOMPARE(server.size(), before + 2);
    QVERIFY(server.last().startsWith(QLatin1String("assistant:")));
    QCOMPARE(rig.view->visibleEntries()->rowCount(), server.size());
    // The answer's code block is a block of its own (a code panel on screen).
    const ChatEntryModel *model = rig.view->visibleEntries();
    auto *blocks = qobject_cast<answer::AnswerModel *>(
        model->data(model->index(model->rowCount() - 1), ChatEntryModel::BlocksRole).value<QObject *>());
    QVERIFY(blocks);
    QVERIFY(waitUntil([&] { return blocks->ready(); }));
    QStringList kinds;
    for (int row = 0; row < blocks->rowCount(); ++row)
        kinds << blocks->data(blocks->index(row), answer::AnswerModel::KindRole).toString();
    QVERIFY2(kinds.contains(QLatin1String("code")), qPrintable(kinds.join(QLatin1Char(' '))));
    QVERIFY(scrolls.count() >= 2);
}

void ChatSendTest::attachmentsGoOut()
{
    ServiceRig svc;
    QVERIFY(svc.restore());
    ChatRig rig(svc.client.get());
    QFile file(rig.dir.filePath(QStringLiteral("notes.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("список дел");
    file.close();
    rig.platform->clipboardPicture = picture(64, 48);
    QVERIFY(rig.composer()->pasteAttachment());
    rig.composer()->attachFile(QUrl::fromLocalFile(file.fileName()));
    rig.composer()->setDraft(QStringLiteral(" \n"));
    QVERIFY(rig.composer()->canSend());

    rig.composer()->send();
    QCOMPARE(svc.client->entries().last().text, QStringLiteral("📎 Вложение"));
    QVERIFY(!rig.composer()->hasAttachedImage());
    QVERIFY(rig.composer()->attachedFile().isEmpty());
    QVERIFY(waitUntil([&] { return !svc.client->sending(); }));

    const auto requests = svc.service.requests(QStringLiteral("/api/chat"));
    QCOMPARE(requests.size(), 1);
    const QJsonObject body = QJsonDocument::fromJson(requests.first().body).object();
    QCOMPARE(body.value(QStringLiteral("message")).toString(), QString());
    QVERIFY(body.value(QStringLiteral("image_data_url")).toString().startsWith(
        QLatin1String("data:image/jpeg;base64,")));
    QCOMPARE(body.value(QStringLiteral("file_data")).toObject().value(QStringLiteral("name")),
             QJsonValue(QStringLiteral("notes.txt")));
}

void ChatSendTest::autoSpeak_data()
{
    QTest::addColumn<bool>("autoSpeak");
    QTest::addColumn<int>("status"); // the service's reply to the message
    QTest::addColumn<bool>("spoken");

    // The chat as the service lists it after the answer; empty: as it keeps it.
    QTest::addColumn<QByteArray>("history");

    // A history shorter than the screen's before the send (the service trimmed it).
    const QByteArray shorter = R"({"ok":true,"active_chat_id":"t","chats":[{"id":"t","title":"Т","messages":[]}]})";
    QTest::newRow("on, answered") << true << 200 << true << QByteArray();
    QTest::newRow("on, refused") << true << 500 << false << QByteArray();
    QTest::newRow("off, answered") << false << 200 << false << QByteArray();
    QTest::newRow("on, answered, shorter history") << true << 200 << true << shorter;
    QTest::newRow("off, answered, shorter history") << false << 200 << false << shorter;
}

void ChatSendTest::autoSpeak()
{
    QFETCH(bool, autoSpeak);
    QFETCH(int, status);
    QFETCH(bool, spoken);
    QFETCH(QByteArray, history);

    ServiceRig svc;
    QVERIFY(svc.restore());
    ChatRig rig(svc.client.get());
    VoicePreferences(rig.preferencesPath()).setAutoSpeak(autoSpeak);
    if (status != 200)
        svc.script("POST", QStringLiteral("/api/chat"), status,
                   R"({"ok":false,"error":"Сервис перегружен"})");
    const QByteArray answer = R"({"ok":true,"answer":"Смотрите на рост и посадку."})";
    if (!history.isEmpty()) {
        svc.script("POST", QStringLiteral("/api/chat"), 200, answer);
        svc.script("GET", QStringLiteral("/api/chats"), 200, history);
    }

    rig.composer()->setDraft(QStringLiteral("Как выбрать велосипед?"));
    rig.composer()->send();
    QVERIFY(waitUntil([&] { return !svc.client->sending(); }));
    QTest::qWait(vexa::test::scaledMs(50));
    ChatRig::settle();
    if (spoken) {
        QVERIFY(waitUntil([&] {
            ChatRig::settle();
            return !rig.voice.synthesizer->spoken.empty();
        }));
        if (history.isEmpty()) {
            // Read as plain text: the answer's quote and list marks are not said.
            const QString spokenText = rig.voice.synthesizer->spoken.front().text;
            QCOMPARE(spokenText, answer::spokenAnswer(svc.client->entries().last().text));
            QVERIFY2(!spokenText.contains(QLatin1String("> ")), qPrintable(spokenText));
            QCOMPARE(svc.client->entries().last().role, ChatEntry::Role::Assistant);
        } else {
            QCOMPARE(rig.voice.synthesizer->spoken.front().text,
                     QStringLiteral("Смотрите на рост и посадку."));
        }
    } else {
        QVERIFY(rig.voice.synthesizer->spoken.empty());
    }
    // A failed message is back in the composer; a delivered one never, however short the
    // history that follows (it could be sent twice).
    QCOMPARE(rig.composer()->draft(), status != 200 ? QStringLiteral("Как выбрать велосипед?") : QString());
}

void ChatSendTest::composerOnItsOwn_data()
{
    QTest::addColumn<int>("status");
    QTest::newRow("answered") << 200;
    QTest::newRow("refused") << 500;
}

// The composer without the chat screen, as another screen would own it: it sends through the
// client it is given, holds still while that client sends, and tells its owner of the answer.
void ChatSendTest::composerOnItsOwn()
{
    QFETCH(int, status);
    ServiceRig svc;
    QVERIFY(svc.restore());
    if (status != 200)
        svc.script("POST", QStringLiteral("/api/chat"), status,
                   R"({"ok":false,"error":"Сервис перегружен"})");
    else
        svc.script("POST", QStringLiteral("/api/chat"), 200,
                   R"({"ok":true,"answer":"Ответ композитору"})", 100);
    FakeVoice voice;
    std::unique_ptr<VoiceService> made;
    VoicePreferences preferences(svc.dir.filePath(QStringLiteral("prefs.ini")));
    chat::ChatComposer composer(std::make_shared<FakeChatPlatform>(), &preferences, [&] {
        if (!made)
            made = std::make_unique<VoiceService>(voice.factory()());
        return made.get();
    });
    QVERIFY(!composer.canSend()); // no client yet
    composer.setClient(svc.client.get());
    QSignalSpy answered(&composer, &chat::ChatComposer::answered);

    composer.setDraft(QStringLiteral("Вопрос без экрана"));
    QVERIFY(composer.canSend());
    composer.send();
    QCOMPARE(composer.draft(), QString());
    composer.setDraft(QStringLiteral("следующий"));
    QVERIFY(!composer.canSend()); // the client is still sending
    QVERIFY(waitUntil([&] { return !svc.client->sending(); }));
    QVERIFY(composer.canSend());
    QVERIFY(!made); // no dictation asked for, no voice made
    if (status == 200) {
        QVERIFY(waitUntil([&] { return answered.size() == 1; }));
        QCOMPARE(answered.first().first().toString(), QStringLiteral("Ответ композитору"));
    } else {
        QTest::qWait(vexa::test::scaledMs(50));
        QCOMPARE(answered.size(), 0);
    }
    // The user had started on the next message: a failed one does not overwrite it.
    QCOMPARE(composer.draft(), QStringLiteral("следующий"));
}

void ChatSendTest::chatListSwitchesAndCreates()
{
    ServiceRig svc;
    QVERIFY(svc.restore());
    ChatListViewModel list;
    list.setClient(svc.client.get());
    QVERIFY(list.enabled());
    const int chats = list.chats()->rowCount();
    QVERIFY(chats >= 2);

    // Appearing fetches the list again.
    svc.service.clearRequests();
    list.appear();
    QVERIFY(waitUntil([&] { return svc.service.requests(QStringLiteral("/api/chats")).size() == 1
                                   && !svc.client->chatsLoading(); }));
    QCOMPARE(svc.service.requests(QStringLiteral("/api/chats")).first().method, QByteArray("GET"));

    // Rows in the service's order, the active one marked.
    const ChatListModel *model = list.chats();
    int activeRows = 0;
    for (int i = 0; i < model->rowCount(); ++i) {
        QCOMPARE(model->data(model->index(i), ChatListModel::ChatIDRole).toString(),
                 svc.client->chats().at(i).id);
        activeRows += model->data(model->index(i), ChatListModel::IsActiveRole).toBool();
    }
    QCOMPARE(activeRows, 1);

    // Selecting another chat: the signal comes once the client shows that chat.
    const QString other = svc.client->chats().last().id;
    QVERIFY(other != svc.client->activeChatIDText());
    QString activeAtSignal;
    QStringList entriesAtSignal;
    connect(&list, &ChatListViewModel::selected, this, [&] {
        activeAtSignal = svc.client->activeChatIDText();
        entriesAtSignal = shown(*svc.client);
    });
    QSignalSpy selected(&list, &ChatListViewModel::selected);
    list.selectChat(other);
    QVERIFY(selected.wait(vexa::test::scaledMs(5000)));
    QCOMPARE(activeAtSignal, other);
    QCOMPARE(entriesAtSignal, svc.serverCopy());

    // Selecting the active chat asks the service again, and still closes the sheet.
    svc.service.clearRequests();
    list.selectChat(other);
    QVERIFY(selected.wait(vexa::test::scaledMs(5000)));
    QCOMPARE(svc.service.requests(QStringLiteral("/api/chats/select")).size(), 1);

    // A new chat comes first in the list and is the active one.
    list.createChat();
    QVERIFY(selected.wait(vexa::test::scaledMs(5000)));
    QCOMPARE(model->rowCount(), chats + 1);
    QVERIFY(model->data(model->index(0), ChatListModel::IsActiveRole).toBool());
    QCOMPARE(model->data(model->index(0), ChatListModel::TitleRole).toString(),
             QStringLiteral("Новый чат"));
}

void ChatSendTest::chatListStillWhileSending()
{
    ServiceRig svc;
    QVERIFY(svc.restore());
    ChatRig rig(svc.client.get());
    ChatListViewModel list;
    list.setClient(svc.client.get());
    QSignalSpy enabled(&list, &ChatListViewModel::enabledChanged);
    QSignalSpy selected(&list, &ChatListViewModel::selected);
    svc.script("POST", QStringLiteral("/api/chat"), 200,
               R"({"ok":true,"answer":"Готово"})", 400);

    rig.composer()->setDraft(QStringLiteral("Долгий вопрос"));
    rig.composer()->send();
    QVERIFY(!list.enabled());
    QVERIFY(!rig.view->canCreateChat());
    svc.service.clearRequests();
    list.selectChat(svc.client->chats().last().id);
    list.createChat();
    QTest::qWait(vexa::test::scaledMs(50));
    QVERIFY(svc.service.requests(QStringLiteral("/api/chats/select")).isEmpty());
    QVERIFY(selected.isEmpty());

    QVERIFY(waitUntil([&] { return !svc.client->sending() && !svc.client->chatsLoading(); }));
    QVERIFY(list.enabled());
    QVERIFY(enabled.count() >= 2);
    QVERIFY(selected.isEmpty());
}

void ChatSendTest::newChatAskedFromOutside_data()
{
    QTest::addColumn<bool>("beforeTheScreen"); // asked at start-up, before the chat screen is made
    QTest::addColumn<bool>("whileSending");    // asked while the typed text is on its way
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("draft");

    QTest::newRow("question, running window") << false << false << QString() << QStringLiteral("Как дела?")
                                              << QStringLiteral("Как дела?");
    QTest::newRow("question at start-up") << true << false << QString() << QStringLiteral("Как дела?")
                                          << QStringLiteral("Как дела?");
    QTest::newRow("new chat keeps what was typed") << false << false << QStringLiteral("моё") << QString()
                                                   << QStringLiteral("моё");
    QTest::newRow("question after what was typed") << false << false << QStringLiteral("моё")
                                                   << QStringLiteral("вопрос")
                                                   << QStringLiteral("моё\n\nвопрос");
    // The answer goes to the chat it was asked in; the question to a new one after it.
    QTest::newRow("question while sending") << false << true << QStringLiteral("Долгий вопрос")
                                            << QStringLiteral("Как дела?") << QStringLiteral("Как дела?");
}

void ChatSendTest::newChatAskedFromOutside()
{
    QFETCH(bool, beforeTheScreen);
    QFETCH(bool, whileSending);
    QFETCH(QString, typed);
    QFETCH(QString, asked);
    QFETCH(QString, draft);

    ServiceRig svc;
    QVERIFY(svc.restore());
    QVERIFY(!svc.client->entries().isEmpty());
    const QString previous = svc.client->activeChatIDText();
    auto &requests = chat::ComposeRequests::instance();
    if (beforeTheScreen)
        requests.requestNewChat(asked);
    ChatRig rig(svc.client.get());
    if (!beforeTheScreen)
        rig.composer()->setDraft(typed);
    if (whileSending) {
        svc.script("POST", QStringLiteral("/api/chat"), 200, R"({"ok":true,"answer":"Готово"})", 300);
        rig.composer()->send();
        QVERIFY(svc.client->sending());
    }
    if (!beforeTheScreen)
        requests.requestNewChat(asked);
    if (whileSending) {
        QTest::qWait(vexa::test::scaledMs(50));
        QVERIFY(requests.hasNewChat());
        QVERIFY(!rig.composer()->draftFocused());
    }

    QVERIFY(waitUntil([&] { return rig.composer()->draftFocused(); }));
    QVERIFY(!requests.hasNewChat()); // taken once, by this screen
    QCOMPARE(rig.composer()->draft(), draft);
    // The chat that had messages is left for a new, empty one; the draft stays through it.
    QVERIFY(waitUntil([&] { return svc.client->activeChatIDText() != previous && !svc.client->chatsLoading(); }));
    QVERIFY(svc.client->entries().isEmpty());
    QCOMPARE(rig.composer()->draft(), draft);
}

QTEST_MAIN(ChatSendTest)
#include "tst_chatsend.moc"
