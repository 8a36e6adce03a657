// Creating and selecting chats, and sending messages with attachments.

#include "opsfixture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>

using namespace vexa;
using namespace vexa::test;

namespace {

const QByteArray kChatAnswer = R"({"ok":true,"answer":"Ответ"})";

QImage smallPhoto()
{
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(QColor(200, 60, 40));
    return image;
}

bool writeFile(const QString &path, qsizetype size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk(1 << 20, '\0');
    for (qsizetype i = 0; i < chunk.size(); ++i)
        chunk[i] = char(i * 31 % 251);
    for (qsizetype left = size; left > 0; left -= chunk.size())
        file.write(chunk.constData(), std::min(left, chunk.size()));
    return file.size() == size;
}

QByteArray dataUrlPayload(const QString &url, const QString &prefix)
{
    if (!url.startsWith(prefix))
        return "<wrong prefix>";
    return QByteArray::fromBase64(url.mid(prefix.size()).toLatin1());
}

QList<QUuid> ids(const QList<ChatEntry> &entries)
{
    QList<QUuid> out;
    for (const ChatEntry &e : entries)
        out.append(e.id);
    return out;
}

} // namespace

class ChatOpsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void optimisticEntryShownThenRemovedOnFailure_data();
    void optimisticEntryShownThenRemovedOnFailure();
    void optimisticEntryRemovedByIdAfterListReplaced();
    void successEndsWithServersCopy();
    void bodyMembers_data();
    void bodyMembers();
    void overrideRefusedWithoutRequest_data();
    void overrideRefusedWithoutRequest();
    void emptyMessageDoesNothing();
    void photoSizeLimit_data();
    void photoSizeLimit();
    void realOversizePhotoIsRefused();
    void fileAttachment_data();
    void fileAttachment();
    void chatListCalls_data();
    void chatListCalls();
    void nothingElseRunsWhileSending();
};

void ChatOpsTest::optimisticEntryShownThenRemovedOnFailure_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("photo");
    QTest::addColumn<bool>("file");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("sentMessage");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("notice");

    QTest::newRow("text, no answer") << " \n Привет\t\n" << false << false << "Привет" << "Привет"
                                     << 200 << QByteArray(R"({"ok":true})") << kInvalidText;
    QTest::newRow("photo only, empty answer") << "  " << true << false << "📎 Вложение" << ""
                                              << 200 << QByteArray(R"({"ok":true,"answer":""})")
                                              << kInvalidText;
    QTest::newRow("text and file, service error")
        << "Глянь файл" << false << true << "Глянь файл  📎" << "Глянь файл" << 429
        << QByteArray(R"({"ok":false,"error":"Дневной лимит исчерпан."})")
        << "Дневной лимит исчерпан.";
    QTest::newRow("text and photo, ok false")
        << "Что на фото?" << true << false << "Что на фото?  📎" << "Что на фото?" << 200
        << QByteArray(R"({"ok":false})") << "Запрос не выполнен.";
    QTest::newRow("file only, broken reply") << "" << false << true << "📎 Вложение" << "" << 200
                                             << QByteArray("<html>") << kInvalidText;
}

void ChatOpsTest::optimisticEntryShownThenRemovedOnFailure()
{
    QFETCH(QString, text);
    QFETCH(bool, photo);
    QFETCH(bool, file);
    QFETCH(QString, shown);
    QFETCH(QString, sentMessage);
    QFETCH(int, status);
    QFETCH(QByteArray, reply);
    QFETCH(QString, notice);

    OpsFixture f;
    QVERIFY(f.restore());
    const QList<QUuid> before = ids(f.client->entries());
    const QString path = f.dir.filePath(QStringLiteral("notes.txt"));
    QVERIFY(writeFile(path, 100));
    f.script("POST", QStringLiteral("/api/chat"), status, reply, 300);

    QSignalSpy reported(f.client.get(), &VexaClient::answerArrived);
    auto task = f.client->send(text, photo ? std::optional(smallPhoto()) : std::nullopt,
                               file ? std::optional(path) : std::nullopt);
    QVERIFY(f.client->sending());
    QCOMPARE(f.client->entries().size(), before.size() + 1);
    const ChatEntry optimistic = f.client->entries().last();
    QCOMPARE(optimistic.text, shown);
    QCOMPARE(optimistic.role, ChatEntry::Role::User);
    QVERIFY(!optimistic.imageURL);

    VEXA_AWAIT(outcome, std::move(task));
    QVERIFY(!outcome); // not delivered, whatever the list shows
    QVERIFY(!f.client->sending());
    QCOMPARE(ids(f.client->entries()), before);
    QCOMPARE(f.client->noticeText(), notice);
    const QJsonObject body = f.lastBody(QStringLiteral("/api/chat"));
    QCOMPARE(body.value(QLatin1String("message")).toString(), sentMessage);
    QCOMPARE(body.contains(QLatin1String("image_data_url")), photo);
    QCOMPARE(body.contains(QLatin1String("file_data")), file);
    QCOMPARE(f.count(QStringLiteral("/api/chats")), 1); // the restore's; no sync after a failure
    // Told as a failure of the chat it went to (the desktop notice says "Ответ не получен").
    QCOMPARE(reported.size(), 1);
    const auto event = reported.first().first().value<AnswerEvent>();
    QVERIFY(event.failed);
    QVERIFY(event.text.isEmpty());
    QCOMPARE(event.chatID, f.client->activeChatID().value_or(QString()));
}

void ChatOpsTest::optimisticEntryRemovedByIdAfterListReplaced()
{
    // A chat-list load lands while the send is in flight; the failed send must take out only
    // its own entry, which the new list no longer holds.
    OpsFixture f;
    QVERIFY(f.restore());
    f.script("POST", QStringLiteral("/api/chat"), 500, R"({"error":"Сбой модели."})", 400);
    auto task = f.client->send(QStringLiteral("Привет"));
    VEXA_AWAIT_VOID(f.client->syncChats());
    const QList<QUuid> replaced = ids(f.client->entries());
    QVERIFY(replaced.size() >= 2);
    VEXA_AWAIT_VOID(std::move(task));
    QCOMPARE(ids(f.client->entries()), replaced);
    QCOMPARE(f.client->noticeText(), QStringLiteral("Сбой модели."));
}

void ChatOpsTest::successEndsWithServersCopy()
{
    OpsFixture f;
    QVERIFY(f.restore());
    f.script("POST", QStringLiteral("/api/chat"), 200,
             R"({"ok":true,"answer":"Готово","image_url":"https://x/y.png","state":{"model":"m2","user":{"user_id":7}}})",
             200);
    f.script("GET", QStringLiteral("/api/chats"), 200,
             R"({"ok":true,"active_chat_id":"c9","chats":[{"id":"c9","title":"T","messages":[)"
             R"({"role":"user","text":"Вопрос","time":1500},{"role":"bot","text":"Готово"}]}]})");
    f.client->clearNotice();
    QSignalSpy reported(f.client.get(), &VexaClient::answerArrived);
    const QString sentTo = f.client->activeChatID().value_or(QStringLiteral("c9"));
    // The locally appended answer, as it was before the chat list replaced it.
    std::optional<ChatEntry> answer;
    bool sendingWhenAnswered = false;
    const auto before = f.client->entries().size();
    QObject::connect(f.client.get(), &VexaClient::entriesChanged, f.client.get(), [&] {
        const auto &entries = f.client->entries();
        if (!answer && entries.size() == before + 2) {
            answer = entries.last();
            sendingWhenAnswered = f.client->sending();
        }
    });
    VEXA_AWAIT_VOID(f.client->send(QStringLiteral("Вопрос")));
    QVERIFY(answer);
    QCOMPARE(answer->role, ChatEntry::Role::Assistant);
    QCOMPARE(answer->text, QStringLiteral("Готово"));
    QCOMPARE(answer->imageURL, std::optional(QStringLiteral("https://x/y.png")));
    QVERIFY(sendingWhenAnswered); // the chat list is read before the send ends
    // Reported once, with the chat's title as the synced list names it.
    QCOMPARE(reported.size(), 1);
    const auto event = reported.first().first().value<AnswerEvent>();
    QVERIFY(!event.failed);
    QCOMPARE(event.text, QStringLiteral("Готово"));
    QCOMPARE(event.chatID, sentTo);
    QCOMPARE(event.title, sentTo == QLatin1String("c9") ? QStringLiteral("T") : QString());

    QCOMPARE(f.client->entries().size(), 2);
    QVERIFY(f.client->entries().first().id != answer->id);
    QCOMPARE(f.client->entries().first().createdAt.toMSecsSinceEpoch(), 1500);
    QCOMPARE(f.client->entries().last().role, ChatEntry::Role::Assistant);
    QCOMPARE(f.client->state()->model, std::optional(QStringLiteral("m2")));
    QCOMPARE(f.client->activeChatID(), std::optional(QStringLiteral("c9")));
    QVERIFY(!f.client->hasNotice());
    QVERIFY(!f.client->sending());
}

void ChatOpsTest::bodyMembers_data()
{
    QTest::addColumn<QByteArray>("state"); // empty: none
    QTest::addColumn<bool>("activeChat");
    QTest::addColumn<QString>("override");  // empty: none
    QTest::addColumn<QString>("model");     // empty: no "model" member

    const QByteArray withModel =
        R"({"model":"fast","models":[{"id":"smart","title":"S","is_available":true}]})";
    QTest::newRow("state model, active chat") << withModel << true << "" << "fast";
    QTest::newRow("override wins") << withModel << false << "smart" << "smart";
    QTest::newRow("state without model") << QByteArray(R"({"user":{"user_id":1}})") << true << ""
                                         << "";
    QTest::newRow("no state at all") << QByteArray() << false << "" << "";
}

void ChatOpsTest::bodyMembers()
{
    QFETCH(QByteArray, state);
    QFETCH(bool, activeChat);
    QFETCH(QString, override);
    QFETCH(QString, model);

    OpsFixture f;
    f.script("GET", QStringLiteral("/api/chats"), 200,
             activeChat ? R"({"ok":true,"chats":[],"active_chat_id":"c-17"})" : R"({"ok":true})");
    VEXA_AWAIT_VOID(f.client->syncChats());
    if (!state.isEmpty())
        QVERIFY(f.loadState(state));
    f.script("POST", QStringLiteral("/api/chat"), 200, kChatAnswer);

    VEXA_AWAIT_VOID(f.client->send(QStringLiteral("Привет"), std::nullopt, std::nullopt,
                                   override.isEmpty() ? std::nullopt : std::optional(override)));
    const QJsonObject body = f.lastBody(QStringLiteral("/api/chat"));
    QCOMPARE(body.value(QLatin1String("message")).toString(), QStringLiteral("Привет"));
    QCOMPARE(body.value(QLatin1String("model")).toString(), model);
    QCOMPARE(body.contains(QLatin1String("model")), !model.isEmpty());
    QCOMPARE(body.contains(QLatin1String("conversation_id")), activeChat);
    if (activeChat)
        QCOMPARE(body.value(QLatin1String("conversation_id")).toString(), QStringLiteral("c-17"));
    QVERIFY(!body.contains(QLatin1String("image_data_url")));
    QVERIFY(!body.contains(QLatin1String("file_data")));
}

void ChatOpsTest::overrideRefusedWithoutRequest_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<QString>("override");
    QTest::newRow("no state") << QByteArray() << "fast";
    QTest::newRow("no model list") << QByteArray(R"({"model":"fast"})") << "fast";
    QTest::newRow("unknown model")
        << QByteArray(R"({"models":[{"id":"fast","title":"F","is_available":true}]})") << "Fast";
    QTest::newRow("not on this tariff")
        << QByteArray(R"({"models":[{"id":"fast","title":"F","is_available":false}]})") << "fast";
}

void ChatOpsTest::overrideRefusedWithoutRequest()
{
    QFETCH(QByteArray, state);
    QFETCH(QString, override);
    OpsFixture f;
    if (!state.isEmpty())
        QVERIFY(f.loadState(state));
    QSignalSpy sending(f.client.get(), &VexaClient::sendingChanged);
    QSignalSpy entries(f.client.get(), &VexaClient::entriesChanged);
    VEXA_AWAIT_VOID(f.client->send(QStringLiteral("Привет"), std::nullopt, std::nullopt, override));
    QCOMPARE(f.client->noticeText(),
             QStringLiteral("Выбранная для разговора модель недоступна для вашего тарифа или "
                            "временно отключена на сервере."));
    QCOMPARE(sending.count(), 0);
    QCOMPARE(entries.count(), 0);
    QCOMPARE(f.count(QStringLiteral("/api/chat")), 0);
}

void ChatOpsTest::emptyMessageDoesNothing()
{
    OpsFixture f;
    f.client->clearNotice();
    QSignalSpy sending(f.client.get(), &VexaClient::sendingChanged);
    // Checked before the override: a blank message with an unknown model is simply ignored.
    VEXA_AWAIT_VOID(f.client->send(QStringLiteral(" \n\t "), std::nullopt, std::nullopt,
                                   QStringLiteral("nope")));
    QCOMPARE(sending.count(), 0);
    QVERIFY(!f.client->hasNotice());
    QCOMPARE(f.count(QStringLiteral("/api/chat")), 0);
}

void ChatOpsTest::photoSizeLimit_data()
{
    QTest::addColumn<qsizetype>("jpegBytes"); // 0: the encoder fails
    QTest::addColumn<QString>("refusal");     // the notice, "" when it is sent
    QTest::newRow("exactly the limit") << qsizetype(8'000'000) << "";
    QTest::newRow("one byte more") << qsizetype(8'000'001)
                                   << "Изображение слишком большое. Выберите фото меньшего размера.";
    // Without its picture the message would go out as an empty one, reported as sent.
    QTest::newRow("cannot encode: refused") << qsizetype(0)
                                            << "Не удалось подготовить фото к отправке. Выберите другое изображение.";
}

void ChatOpsTest::photoSizeLimit()
{
    QFETCH(qsizetype, jpegBytes);
    QFETCH(QString, refusal);
    const bool sent = refusal.isEmpty();
    OpsFixture f;
    int quality = -1;
    f.client->setJpegEncoder([&](const QImage &, int q) {
        quality = q;
        return QByteArray(jpegBytes, 'j');
    });
    f.script("POST", QStringLiteral("/api/chat"), 200, kChatAnswer);
    f.script("GET", QStringLiteral("/api/chats"), 200, R"({"ok":true})");

    VEXA_AWAIT(answer, f.client->send(QStringLiteral("Фото"), smallPhoto()));
    QCOMPARE(quality, 68);
    QCOMPARE(f.count(QStringLiteral("/api/chat")), sent ? 1 : 0);
    // The send's outcome says whether it went out.
    QCOMPARE(answer.has_value(), sent);
    if (!sent) {
        QCOMPARE(f.client->noticeText(), refusal);
        QVERIFY(f.client->entries().isEmpty());
        return;
    }
    const QJsonObject body = f.lastBody(QStringLiteral("/api/chat"));
    QCOMPARE(body.contains(QLatin1String("image_data_url")), jpegBytes > 0);
    if (jpegBytes > 0)
        QCOMPARE(dataUrlPayload(body.value(QLatin1String("image_data_url")).toString(),
                                QStringLiteral("data:image/jpeg;base64,")),
                 QByteArray(jpegBytes, 'j'));
    QCOMPARE(f.client->entries().size(), 2);
}

void ChatOpsTest::realOversizePhotoIsRefused()
{
    // Noise does not compress: at quality 0.68 this picture is well over 8,000,000 bytes.
    QImage noise(4200, 4200, QImage::Format_RGB32);
    auto *random = QRandomGenerator::global();
    for (int y = 0; y < noise.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(noise.scanLine(y));
        random->fillRange(line, noise.width());
    }
    QVERIFY(VexaClient::encodeJpeg(noise, 68).size() > VexaClient::kMaxPhotoBytes);

    OpsFixture f;
    VEXA_AWAIT_VOID(f.client->send(QStringLiteral("Большое фото"), noise));
    QCOMPARE(f.client->noticeText(),
             QStringLiteral("Изображение слишком большое. Выберите фото меньшего размера."));
    QVERIFY(f.client->entries().isEmpty());
    QVERIFY(!f.client->sending());
    QCOMPARE(f.count(QStringLiteral("/api/chat")), 0);
}

void ChatOpsTest::fileAttachment_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qsizetype>("size"); // -1: no such file; -2: a directory
    QTest::addColumn<bool>("asUrl");
    QTest::addColumn<QString>("notice"); // empty: sent
    const QString tooLarge =
        QStringLiteral("Файл слишком большой для отправки из приложения (максимум 8 МБ).");
    const QString unreadable = QStringLiteral("Не удалось прочитать выбранный файл.");
    QTest::newRow("exactly 8,000,000 bytes") << "отчёт 2024.bin" << qsizetype(8'000'000) << false
                                             << "";
    QTest::newRow("given as a file URL") << "notes.txt" << qsizetype(12) << true << "";
    QTest::newRow("empty file") << "empty.txt" << qsizetype(0) << false << "";
    QTest::newRow("one byte more") << "big.bin" << qsizetype(8'000'001) << false << tooLarge;
    QTest::newRow("missing") << "gone.txt" << qsizetype(-1) << false << unreadable;
    QTest::newRow("a folder") << "folder" << qsizetype(-2) << false << unreadable;
}

void ChatOpsTest::fileAttachment()
{
    QFETCH(QString, name);
    QFETCH(qsizetype, size);
    QFETCH(bool, asUrl);
    QFETCH(QString, notice);
    OpsFixture f;
    const QString path = f.dir.filePath(name);
    if (size >= 0)
        QVERIFY(writeFile(path, size));
    else if (size == -2)
        QVERIFY(QDir(f.dir.path()).mkdir(name));
    f.script("POST", QStringLiteral("/api/chat"), 200, kChatAnswer);
    f.script("GET", QStringLiteral("/api/chats"), 200, R"({"ok":true})");
    f.client->clearNotice();

    VEXA_AWAIT_VOID(f.client->send(QString(), std::nullopt,
                                   asUrl ? QUrl::fromLocalFile(path).toString() : path));
    QCOMPARE(f.client->noticeText(), notice);
    QVERIFY(!f.client->sending());
    if (!notice.isEmpty()) {
        QCOMPARE(f.count(QStringLiteral("/api/chat")), 0);
        QVERIFY(f.client->entries().isEmpty());
        return;
    }
    const QJsonObject fileData =
        f.lastBody(QStringLiteral("/api/chat")).value(QLatin1String("file_data")).toObject();
    QCOMPARE(fileData.value(QLatin1String("name")).toString(), name);
    QFile original(path);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(dataUrlPayload(fileData.value(QLatin1String("data_url")).toString(),
                            QStringLiteral("data:application/octet-stream;base64,")),
             original.readAll());
}

void ChatOpsTest::chatListCalls_data()
{
    QTest::addColumn<bool>("create");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("notice"); // empty: applied

    const QByteArray list =
        R"({"ok":true,"active_chat_id":7,"chats":[{"id":7,"messages":[{"role":"user","text":"Новый"}]}]})";
    QTest::newRow("create") << true << 200 << list << "";
    QTest::newRow("create without active chat")
        << true << 200 << QByteArray(R"({"ok":true,"chats":[{"id":"x"}]})") << kInvalidText;
    QTest::newRow("create refused") << true << 403 << QByteArray(R"({"error":"Лимит чатов."})")
                                    << "Лимит чатов.";
    QTest::newRow("select") << false << 200 << list << "";
    QTest::newRow("select ok false") << false << 200
                                     << QByteArray(R"({"ok":false,"active_chat_id":"7"})")
                                     << kInvalidText;
    QTest::newRow("select unreadable") << false << 200 << QByteArray(R"({"chats":[]})")
                                       << kInvalidText;
}

void ChatOpsTest::chatListCalls()
{
    QFETCH(bool, create);
    QFETCH(int, status);
    QFETCH(QByteArray, reply);
    QFETCH(QString, notice);
    OpsFixture f;
    QVERIFY(f.restore());
    f.client->clearNotice();
    const auto chatsBefore = f.client->chats().size();
    const auto activeBefore = f.client->activeChatID();
    const QString path = create ? QStringLiteral("/api/chats") : QStringLiteral("/api/chats/select");
    f.script("POST", path, status, reply);
    QSignalSpy loading(f.client.get(), &VexaClient::chatsLoadingChanged);

    VEXA_AWAIT_VOID(create ? f.client->createChat() : f.client->selectChat(QStringLiteral("7")));
    QCOMPARE(loading.count(), 2);
    QCOMPARE(f.client->noticeText(), notice);
    const auto sent = f.service.requests(path).last();
    QJsonObject expectedBody;
    if (!create)
        expectedBody.insert(QStringLiteral("chat_id"), QStringLiteral("7"));
    QCOMPARE(QJsonDocument::fromJson(sent.body).object(), expectedBody);
    if (notice.isEmpty()) {
        QCOMPARE(f.client->activeChatID(), std::optional(QStringLiteral("7")));
        QCOMPARE(f.client->chats().size(), 1);
        QCOMPARE(f.client->entries().size(), 1);
        QCOMPARE(f.client->entries().first().text, QStringLiteral("Новый"));
    } else {
        QCOMPARE(f.client->chats().size(), chatsBefore);
        QCOMPARE(f.client->activeChatID(), activeBefore);
    }
}

void ChatOpsTest::nothingElseRunsWhileSending()
{
    OpsFixture f;
    QVERIFY(f.restore());
    f.script("POST", QStringLiteral("/api/chat"), 200, kChatAnswer, 300);
    auto task = f.client->send(QStringLiteral("Первое"));
    QVERIFY(f.client->sending());
    const auto entriesDuring = ids(f.client->entries());
    QSignalSpy loading(f.client.get(), &VexaClient::chatsLoadingChanged);
    VEXA_AWAIT_VOID(f.client->selectChat(QStringLiteral("other")));
    VEXA_AWAIT_VOID(f.client->createChat());
    VEXA_AWAIT_VOID(f.client->send(QStringLiteral("Второе")));
    VEXA_AWAIT_VOID(f.client->selectModel(QStringLiteral("fast")));
    QCOMPARE(loading.count(), 0);
    QVERIFY(!f.client->selectingModel());
    QCOMPARE(ids(f.client->entries()), entriesDuring);
    VEXA_AWAIT_VOID(std::move(task));
    QCOMPARE(f.count(QStringLiteral("/api/chat")), 1);
    QCOMPARE(f.count(QStringLiteral("/api/chats/select")), 0);
    QCOMPARE(f.count(QStringLiteral("/api/settings/update")), 0);
    const auto chatsRequests = f.service.requests(QStringLiteral("/api/chats"));
    for (const auto &r : chatsRequests)
        QCOMPARE(r.method, QByteArray("GET")); // restore and the send's sync; no create
}

QTEST_MAIN(ChatOpsTest)
#include "tst_chatops.moc"
