// Large replies and uploads handled on the thread pool: the same records and errors as decoding in
// place, nothing left pointing at a client that went away meanwhile, and the picture edit busy
// while its picture is encoded.

#include "opsfixture.h"

#include <QBuffer>
#include <QJsonArray>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThreadPool>

using namespace vexa;
using namespace vexa::test;

namespace {

// Holds every thread of the client's pool until released, so work handed to it waits there. The
// semaphores are shared with the holding tasks, which may still be inside them after release.
class PoolBlocker
{
public:
    PoolBlocker() : m_threads(offthread::pool()->maxThreadCount())
    {
        for (int i = 0; i < m_threads; ++i)
            offthread::pool()->start([state = m_state] {
                state->started.release();
                state->gate.acquire();
            });
        m_state->started.acquire(m_threads);
    }
    ~PoolBlocker() { release(); }
    void release()
    {
        m_state->gate.release(m_threads - m_released);
        m_released = m_threads;
    }

private:
    struct State {
        QSemaphore started;
        QSemaphore gate;
    };
    const int m_threads;
    int m_released = 0;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// A chat-list reply of about `bytes` bytes; `lastText` is written as is into the last message's
// "text" (a JSON string unless a row wants another type there).
QByteArray chatList(qsizetype bytes, const QByteArray &lastText = R"("Последний ответ 👍")")
{
    QByteArray out = R"({"ok":true,"active_chat_id":"c1","chats":[)";
    const QByteArray message =
        R"({"role":"assistant","text":"Ответ с \"кавычками\", переводом\nстроки и эмодзи 🚀","time":1733000000000},)";
    int chat = 0;
    while (out.size() < bytes) {
        out += (chat ? R"(,{"id":"c)" : R"({"id":"c)") + QByteArray::number(chat)
            + R"(","title":"Чат №)" + QByteArray::number(chat) + R"(","messages":[)";
        for (int m = 0; m < 30; ++m)
            out += message;
        out += R"({"role":"user","text":)" + lastText + "}]}";
        ++chat;
    }
    return out + "]}";
}

// What a chat-list record holds, in one comparable text.
QString fingerprint(const VexaChatsResponse &reply)
{
    QString out = QStringLiteral("%1|%2|%3").arg(reply.ok).arg(reply.activeChatID.value_or(QStringLiteral("-"))).arg(reply.chats.size());
    for (const VexaSharedChat &chat : reply.chats) {
        out += QLatin1Char('|') + chat.id + QLatin1Char(':') + chat.title + QLatin1Char(':')
            + QString::number(chat.messages.size());
        for (const VexaSharedMessage &message : chat.messages)
            out += QLatin1Char('/') + message.role + message.text
                + QString::number(message.time.value_or(-1));
    }
    return out;
}

QString outcome(const Result<VexaChatsResponse> &result)
{
    return result ? fingerprint(*result) : QStringLiteral("error: ") + describe(result.error());
}

} // namespace

class LargeRepliesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void offThreadDecodeMatchesInPlace_data();
    void offThreadDecodeMatchesInPlace();
    void largeChatListReachesTheMirror();
    void clientGoneDuringDecode();
    void largeUtilityReplyOnThePool_data();
    void largeUtilityReplyOnThePool();
    void largePictureEdit_data();
    void largePictureEdit();
};

void LargeRepliesTest::offThreadDecodeMatchesInPlace_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("valid");
    const qsizetype large = 2 * offthread::kDecodeInPlaceBytes;
    QTest::newRow("valid") << chatList(large) << true;
    QTest::newRow("malformed: cut short") << chatList(large).chopped(7) << false;
    QTest::newRow("malformed: text after the object") << chatList(large) + " {}" << false;
    // A message of the wrong type empties its chat's messages rather than failing the list.
    QTest::newRow("wrong type deep inside, lenient there") << chatList(large, "42") << true;
    QTest::newRow("wrong type at the top")
        << chatList(large).replace(R"({"ok":true,)", R"({"ok":"true",)") << false;
    QTest::newRow("required field missing at the top")
        << chatList(large).replace(R"({"ok":true,)", "{") << false;
    QTest::newRow("repeated key") << chatList(large).replace(R"({"ok":true,)", R"({"ok":true,"ok":true,)")
                                  << false;
}

// A fault this catches: the value or the error changing on its way back from the pool (a moved
// from result, a different decoder, an error mapped differently).
void LargeRepliesTest::offThreadDecodeMatchesInPlace()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, valid);
    QVERIFY(body.size() > offthread::kDecodeInPlaceBytes);

    auto inPlace = VexaClient::decodeReplyAsync<VexaChatsResponse>(body, body.size());
    QVERIFY2(inPlace.isReady(), "a body within the limit is decoded at once");

    std::optional<QCoro::Task<Result<VexaChatsResponse>>> offThread;
    {
        PoolBlocker blocker;
        offThread.emplace(VexaClient::decodeReplyAsync<VexaChatsResponse>(body, 0));
        QVERIFY2(!offThread->isReady(), "a body over the limit waits for the pool");
        QCOMPARE(offthread::inFlight(), 1);
    }
    VEXA_AWAIT(pooled, std::move(*offThread));
    VEXA_AWAIT(direct, std::move(inPlace));
    QCOMPARE(bool(pooled), valid);
    QCOMPARE(outcome(pooled), outcome(direct));
    QCOMPARE(offthread::inFlight(), 0);
}

// A fault this catches: the sync path not wired to the pooled decode's value (chats, the active
// chat's entries), or a failed large reply replacing the mirror.
void LargeRepliesTest::largeChatListReachesTheMirror()
{
    OpsFixture f;
    const QByteArray body = chatList(3 * offthread::kDecodeInPlaceBytes);
    f.script("GET", QStringLiteral("/api/chats"), 200, body, 0, 1);
    VEXA_AWAIT_VOID(f.client->syncChats());
    const auto expected = records::decodeJson<VexaChatsResponse>(body);
    QVERIFY(expected);
    QCOMPARE(f.client->chats().size(), expected->chats.size());
    QCOMPARE(f.client->chats().constLast().title, expected->chats.constLast().title);
    QCOMPARE(f.client->activeChatIDText(), QStringLiteral("c1"));
    QCOMPARE(f.client->entries().size(), 31);
    QCOMPARE(f.client->entries().constLast().text, QStringLiteral("Последний ответ 👍"));

    // A broken large reply leaves the mirror as it was.
    f.script("GET", QStringLiteral("/api/chats"), 200, body.chopped(3), 0, 1);
    VEXA_AWAIT_VOID(f.client->syncChats());
    QCOMPARE(f.client->chats().size(), expected->chats.size());
    QCOMPARE(f.client->entries().size(), 31);
    QVERIFY(!f.client->chatsLoading());
}

// A fault this catches: the sync touching its client after the pooled decode returns to a
// client that was destroyed meanwhile.
void LargeRepliesTest::clientGoneDuringDecode()
{
    OpsFixture f;
    f.script("GET", QStringLiteral("/api/chats"), 200, chatList(2 * offthread::kDecodeInPlaceBytes));
    PoolBlocker blocker;
    auto sync = f.client->syncChats();
    QVERIFY(waitUntil([] { return offthread::inFlight() > 0; }));
    QVERIFY(!sync.isReady());
    f.client.reset();
    blocker.release();
    VEXA_AWAIT_VOID(std::move(sync));
    QVERIFY(waitUntil([] { return offthread::inFlight() == 0; }));
}

namespace {
// An export of about `bytes` bytes of Markdown.
QByteArray exportReply(qsizetype bytes)
{
    const QByteArray line = "**Вы:** Как спланировать неделю? **Vexa AI:** Начните с трёх главных дел.\\n";
    QByteArray text;
    while (text.size() < bytes)
        text += line;
    return R"({"ok":true,"count":12,"text":")" + text + R"("})";
}
} // namespace

void LargeRepliesTest::largeUtilityReplyOnThePool_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("pooled");
    QTest::addColumn<QString>("error"); // empty: the reply is read
    const qsizetype large = 3 * offthread::kDecodeInPlaceBytes;
    const QString notJson = QStringLiteral("Не удалось прочитать ответ сервера: он не в формате JSON. "
                                           "Повторите попытку.");
    QTest::newRow("large export") << exportReply(large) << true << QString();
    QTest::newRow("small export, read where it arrived") << exportReply(200) << false << QString();
    QTest::newRow("large, cut short") << exportReply(large).chopped(5) << true << notJson;
    QTest::newRow("large array, not an object")
        << "[" + exportReply(large) + "]" << true << kInvalidText;
}

// A fault this catches: a large productivity reply parsed on the main thread (the window stops
// for the length of the parse), or the pooled parse bringing back another value or error.
void LargeRepliesTest::largeUtilityReplyOnThePool()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, pooled);
    QFETCH(QString, error);
    OpsFixture f;
    const QString path = QStringLiteral("/api/productivity/export");
    f.script("GET", path, 200, body);
    std::optional<QCoro::Task<Result<QJsonObject>>> call;
    {
        PoolBlocker blocker;
        call.emplace(f.client->utility(path));
        QVERIFY(waitUntil([&] { return f.count(path) == 1; }));
        if (pooled) {
            // The main thread goes on while the pool holds the parse.
            QVERIFY(waitUntil([] { return offthread::inFlight() == 1; }));
            QTest::qWait(20);
            QVERIFY(!call->isReady());
        } else {
            QVERIFY(waitUntil([&] { return call->isReady(); }));
            QCOMPARE(offthread::inFlight(), 0);
        }
    }
    VEXA_AWAIT(reply, std::move(*call));
    QCOMPARE(offthread::inFlight(), 0);
    if (!error.isEmpty()) {
        QVERIFY(!reply);
        QCOMPARE(describe(reply.error()), error);
        return;
    }
    QVERIFY(reply);
    const auto expected = QJsonDocument::fromJson(body).object();
    QCOMPARE(reply->value(QStringLiteral("text")).toString(), expected.value(QStringLiteral("text")).toString());
    QCOMPARE(reply->value(QStringLiteral("count")).toInt(), 12);
}

void LargeRepliesTest::largePictureEdit_data()
{
    QTest::addColumn<qsizetype>("jpegBytes");
    QTest::newRow("sent") << qsizetype(4000);
    QTest::newRow("over the limit") << VexaClient::kMaxEditBytes + 1;
    QTest::newRow("cannot be encoded") << qsizetype(0);
}

// Faults this catches: a large picture's edit not busy while it is encoded (a second edit would
// start), a refusal that leaves the client busy, a body written differently on the pool.
void LargeRepliesTest::largePictureEdit()
{
    QFETCH(qsizetype, jpegBytes);
    const bool sent = jpegBytes > 0 && jpegBytes <= VexaClient::kMaxEditBytes;
    OpsFixture f;
    QVERIFY(f.loadState(R"({"image_model":"flux","can_generate_images":true})"));
    f.client->setJpegEncoder([jpegBytes](const QImage &, int) { return QByteArray(jpegBytes, 'p'); });
    QImage reply(3, 2, QImage::Format_RGB32);
    reply.fill(Qt::green);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        reply.save(&buffer, "PNG");
    }
    f.script("POST", QStringLiteral("/api/image/generate"), 200,
             R"({"ok":true,"image_url":"data:image/png;base64,)" + png.toBase64() + R"("})");

    QImage picture(600, 600, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QVERIFY(qsizetype(picture.width()) * picture.height() > offthread::kEncodeInPlacePixels);
    std::optional<QCoro::Task<std::optional<QImage>>> first;
    {
        PoolBlocker blocker; // the picture is still being encoded while the pool is held
        first.emplace(f.client->editImage(picture, QStringLiteral("ярче")));
        QVERIFY2(f.client->generating(), "busy from the moment the edit was accepted");
        VEXA_AWAIT(second, f.client->editImage(picture, QStringLiteral("ещё ярче")));
        QVERIFY(!second);
    }
    VEXA_AWAIT(image, std::move(*first));
    QVERIFY(!f.client->generating());
    QCOMPARE(image.has_value(), sent);
    QCOMPARE(f.count(QStringLiteral("/api/image/generate")), sent ? 1 : 0);
    if (!sent) {
        QCOMPARE(f.client->noticeText(),
                 QStringLiteral("Изображение слишком большое или повреждено. Выберите файл до 12 МБ."));
        return;
    }
    QCOMPARE(image->size(), QSize(3, 2));
    const QJsonObject body = f.lastBody(QStringLiteral("/api/image/generate"));
    QCOMPARE(body.value(QLatin1String("model")).toString(), QStringLiteral("flux"));
    QCOMPARE(body.value(QLatin1String("prompt")).toString(), QStringLiteral("ярче"));
    QCOMPARE(body.value(QLatin1String("image_url")).toString(),
             QStringLiteral("data:image/jpeg;base64,") + QString::fromLatin1(QByteArray(jpegBytes, 'p').toBase64()));
}

QTEST_MAIN(LargeRepliesTest)
#include "tst_largereplies.moc"
