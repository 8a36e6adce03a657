// How long the main thread stops during the client's largest transfers: a chat-list sync whose
// reply is 20 MB, sending a message with an 8 MB file (the send ends with the same sync),
// editing a picture whose JPEG is about 12 MB (the edited picture comes back as a PNG data URL),
// and a productivity export of 20 MB of Markdown.
// A 1 ms timer on the main thread is the probe: a stall is the longest gap between two of its
// ticks while the operation runs. The local service runs on its own thread, so only the client's
// work weighs on the main thread. Each case runs several times; on a shared machine a single run
// can lose the core to another process, so a case's figure is the median of its runs' worst gaps
// (each run's worst is printed too). An idle probe shows the machine's own floor.
// Last line: sync_max_stall_ms, the worst case's figure.

#include "cookiestore.h"
#include "localservice.h"
#include "servicestate.h"
#include "stallprobe.h"
#include "vexaclient.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkCookie>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QCoro/QCoroTask>
#include <QCoro/QCoroTimer>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

namespace {

const int kRuns = qEnvironmentVariableIntValue("BENCH_RUNS") > 0 ? qEnvironmentVariableIntValue("BENCH_RUNS") : 5;
constexpr qsizetype kChatListBytes = 20'000'000;
constexpr qsizetype kFileBytes = 8'000'000;
constexpr qsizetype kExportBytes = 20'000'000;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A chat-list reply of at least `bytes` bytes: Cyrillic chats of 40 messages each, the first
// one open.
QByteArray chatListReply(qsizetype bytes)
{
    QByteArray out = R"({"ok":true,"active_chat_id":"c0","chats":[)";
    for (int c = 0; out.size() < bytes; ++c) {
        QJsonArray messages;
        for (int m = 0; m < 40; ++m) {
            QJsonObject message;
            message.insert(QStringLiteral("role"), m % 2 ? QStringLiteral("assistant") : QStringLiteral("user"));
            message.insert(QStringLiteral("text"),
                           m % 2 ? QStringLiteral("Вот ответ с **разметкой**, списком:\n- первый пункт\n- второй пункт\n\n`код` и ссылка https://vexa.ai, №%1 — всё 👍").arg(m)
                                 : QStringLiteral("Вопрос номер %1: как лучше спланировать неделю, чтобы всё успеть?").arg(m));
            message.insert(QStringLiteral("time"), 1733000000000.0 + c * 100000.0 + m * 1000.0);
            messages.append(message);
        }
        QJsonObject chat;
        chat.insert(QStringLiteral("id"), QStringLiteral("c%1").arg(c));
        chat.insert(QStringLiteral("title"), QStringLiteral("Чат №%1: план поездки и список покупок").arg(c));
        chat.insert(QStringLiteral("messages"), messages);
        if (c > 0)
            out += ',';
        out += QJsonDocument(chat).toJson(QJsonDocument::Compact);
    }
    out += "]}";
    return out;
}

// An export reply of at least `bytes` bytes: a long dialogue as Markdown, Cyrillic and emoji.
QByteArray exportReply(qsizetype bytes)
{
    QString text;
    qsizetype utf8 = 0;
    int messages = 0;
    while (utf8 < bytes) {
        const QString pair = QStringLiteral("**Вы:** Вопрос номер %1: как лучше спланировать неделю?\n\n"
                                            "**Vexa AI:** Начните с трёх главных дел, списком:\n- первое\n"
                                            "- второе\n\n`код` и ссылка https://vexa.ai — всё 👍\n\n")
                                 .arg(messages);
        text += pair;
        utf8 += pair.toUtf8().size();
        messages += 2;
    }
    QJsonObject reply;
    reply.insert(QStringLiteral("ok"), true);
    reply.insert(QStringLiteral("text"), text);
    reply.insert(QStringLiteral("count"), messages);
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
}

// Noise does not compress: a picture whose JPEG at the edit's quality is just under 12 MiB. The
// side is estimated from a small sample's bytes per pixel, then walked down until it fits.
QImage noise(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y)
        random.fillRange(reinterpret_cast<quint32 *>(image.scanLine(y)), image.width());
    return image;
}

QImage editPicture()
{
    const int quality = vexa::VexaClient::kEditJpegQuality;
    const qsizetype target = vexa::VexaClient::kMaxEditBytes - 300'000;
    const double perPixel = double(vexa::VexaClient::encodeJpeg(noise(500), quality).size()) / (500.0 * 500.0);
    for (int side = int(std::sqrt(double(target) / perPixel)) + 100;; side -= 40) {
        QImage image = noise(side);
        if (vexa::VexaClient::encodeJpeg(image, quality).size() <= target)
            return image;
    }
}

// CPU time this thread has used, in milliseconds.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The local service on its own thread, with the demo account signed in, plenty of image
// credits and the chat list scripted.
class ServiceThread : public QThread
{
public:
    QUrl baseUrl;
    QByteArray session;

    void start(QByteArray chatList, QByteArray exported)
    {
        m_chatList = std::move(chatList);
        m_export = std::move(exported);
        QThread::start();
        m_ready.acquire();
    }

protected:
    void run() override
    {
        vexa::service::LocalService service;
        if (service.listen()) {
            baseUrl = service.baseUrl();
            session = service.createSession();
        }
        service.state().limits.imageCredits = 1'000'000;
        vexa::service::ScriptedReply chats;
        chats.body = m_chatList;
        service.script("GET", QStringLiteral("/api/chats"), chats);
        vexa::service::ScriptedReply answer;
        answer.body = R"({"ok":true,"answer":"Файл получен."})";
        service.script("POST", QStringLiteral("/api/chat"), answer);
        vexa::service::ScriptedReply exported;
        exported.body = m_export;
        service.script("GET", QStringLiteral("/api/productivity/export"), exported);
        m_ready.release();
        exec();
    }

private:
    QByteArray m_chatList;
    QByteArray m_export;
    QSemaphore m_ready;
};

using vexa::bench::StallProbe;

// Runs the task to its end under the probe; the worst gap, or -1 when it did not end in time.
double probed(StallProbe &probe, const std::function<QCoro::Task<bool>()> &operation)
{
    bool done = false;
    bool ok = false;
    probe.start();
    auto drive = [&]() -> QCoro::Task<> {
        ok = co_await operation();
        done = true;
    };
    drive();
    QElapsedTimer deadline;
    deadline.start();
    while (!done && deadline.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    probe.stop();
    const double stall = probe.worstMs();
    return done && ok ? stall : -1;
}

QCoro::Task<bool> idle()
{
    QTimer timer;
    timer.setSingleShot(true);
    timer.start(400);
    co_await timer;
    co_return true;
}

QCoro::Task<bool> sync(vexa::VexaClient *client)
{
    co_await client->syncChats();
    co_return client->chats().size() > 1000;
}

QCoro::Task<bool> sendFile(vexa::VexaClient *client, QString path)
{
    auto answer = co_await client->send(QString::fromUtf8("Что в этом файле?"), std::nullopt, path);
    co_return answer.has_value();
}

QCoro::Task<bool> exportChats(vexa::VexaClient *client)
{
    auto reply = co_await client->utility(QString::fromLatin1("/api/productivity/export"));
    co_return reply && reply->value(QLatin1String("text")).toString().size() > 1'000'000;
}

QCoro::Task<bool> edit(vexa::VexaClient *client, QImage picture)
{
    auto image = co_await client->editImage(picture, QString::fromUtf8("Сделай чёрно-белым"));
    co_return image.has_value() && !image->isNull();
}

// What one step of the old, all-on-the-main-thread path cost: the time of `work` here, median of
// three.
double onThisThread(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

// The main thread's share of the same work before it moved to the pool, step by step.
void printInPlaceCosts(const QByteArray &chatList, const QString &filePath, const QImage &picture,
                       const QByteArray &exported)
{
    const double decode = onThisThread([&] {
        auto task = vexa::VexaClient::decodeReplyAsync<vexa::VexaChatsResponse>(
            chatList, std::numeric_limits<qsizetype>::max());
        Q_ASSERT(task.isReady());
    });
    const double file = onThisThread([&] {
        QFile in(filePath);
        in.open(QIODevice::ReadOnly);
        QJsonObject data;
        data.insert(QStringLiteral("name"), QStringLiteral("report.pdf"));
        data.insert(QStringLiteral("data_url"), QStringLiteral("data:application/octet-stream;base64,")
                                                    + QString::fromLatin1(in.readAll().toBase64()));
        QJsonObject body;
        body.insert(QStringLiteral("message"), QStringLiteral("Что в этом файле?"));
        body.insert(QStringLiteral("file_data"), data);
        QJsonDocument(body).toJson(QJsonDocument::Compact);
    });
    QByteArray png;
    const double edit = onThisThread([&] {
        const QByteArray jpeg = vexa::VexaClient::encodeJpeg(picture, vexa::VexaClient::kEditJpegQuality);
        QJsonObject body;
        body.insert(QStringLiteral("image_url"),
                    QStringLiteral("data:image/jpeg;base64,") + QString::fromLatin1(jpeg.toBase64()));
        QJsonDocument(body).toJson(QJsonDocument::Compact);
    });
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
    }
    const QString url = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
    const double answer = onThisThread([&] {
        const auto bytes = QByteArray::fromBase64Encoding(url.mid(22).toLatin1(),
                                                          QByteArray::AbortOnBase64DecodingErrors);
        QImage::fromData(bytes.decoded);
    });
    const double parse = onThisThread([&] { QJsonDocument::fromJson(exported).object(); });
    std::printf("the same work on the main thread (the path before): chat-list decode %.0f ms, "
                "file body %.0f ms, edit body %.0f ms + edited picture %.0f ms, export parse %.0f ms\n",
                decode, file, edit, answer, parse);
}

struct Case {
    const char *name;
    std::function<QCoro::Task<bool>()> operation;
};

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;

    const QByteArray chatList = chatListReply(kChatListBytes);
    const QByteArray exported = exportReply(kExportBytes);
    const QImage picture = editPicture();
    const QString filePath = dir.filePath(QStringLiteral("report.pdf"));
    {
        QFile file(filePath);
        QByteArray bytes(kFileBytes, '\0');
        QRandomGenerator(3).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }

    ServiceThread service;
    service.start(chatList, exported);
    if (service.baseUrl.isEmpty()) {
        std::fprintf(stderr, "the local service did not start\n");
        return 1;
    }
    vexa::VexaClient client(service.baseUrl.toString(), dir.filePath(QStringLiteral("cookies")));
    QNetworkCookie cookie(vexa::service::LocalService::cookieName(), service.session);
    cookie.setPath(QStringLiteral("/"));
    client.cookieJar()->setCookiesFromUrl({cookie}, service.baseUrl);

    StallProbe probe;
    if (probed(probe, [&]() -> QCoro::Task<bool> {
            co_await client.refresh();
            co_return client.isSignedIn();
        }) < 0) {
        std::fprintf(stderr, "sign-in failed\n");
        return 1;
    }
    std::printf("chat list %.1f MB, file %.1f MB, export %.1f MB, picture %dx%d (JPEG %.1f MB)\n",
                chatList.size() / 1e6, kFileBytes / 1e6, exported.size() / 1e6, picture.width(),
                picture.height(),
                vexa::VexaClient::encodeJpeg(picture, vexa::VexaClient::kEditJpegQuality).size() / 1e6);

    printInPlaceCosts(chatList, filePath, picture, exported);

    const std::vector<Case> cases = {
        {"idle (the machine's floor)", [] { return idle(); }},
        {"chat-list sync, 20 MB", [&] { return sync(&client); }},
        {"send with an 8 MB file", [&] { return sendFile(&client, filePath); }},
        {"picture edit, 12 MB", [&] { return edit(&client, picture); }},
        {"productivity export, 20 MB", [&] { return exportChats(&client); }},
    };
    double worst = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::vector<double> stalls;
        QElapsedTimer wall;
        wall.start();
        const double cpuBefore = threadCpuMs();
        for (int run = 0; run < kRuns; ++run) {
            const double stall = probed(probe, cases[i].operation);
            if (stall < 0) {
                std::fprintf(stderr, "%s failed (notice: %s)\n", cases[i].name,
                             qPrintable(client.noticeText()));
                return 1;
            }
            stalls.push_back(stall);
        }
        const double figure = median(stalls);
        std::printf("%-28s stall %6.1f ms (median of %d; runs:", cases[i].name, figure, kRuns);
        for (double s : stalls)
            std::printf(" %.1f", s);
        std::printf("), %.0f ms a run, main thread busy %.0f ms a run\n",
                    double(wall.elapsed()) / kRuns, (threadCpuMs() - cpuBefore) / kRuns);
        if (i > 0)
            worst = std::max(worst, figure);
    }
    service.quit();
    service.wait();
    std::printf("sync_max_stall_ms=%.1f\n", worst);
    return 0;
}
