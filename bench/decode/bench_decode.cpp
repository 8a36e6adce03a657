// How much our strict decoding costs on top of parsing: a chats reply of about 20 MB and a large
// account state, each parsed bare with QJsonDocument and decoded into records, the two alternating,
// median of N runs of the thread's CPU time.

#include "benchtiming.h"
#include "chatrecords.h"
#include "vexastate.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace vexa;

namespace {

const int kRuns = qEnvironmentVariableIntValue("BENCH_RUNS") > 0 ? qEnvironmentVariableIntValue("BENCH_RUNS") : 9;

QString sampleText(QRandomGenerator &rng, int index)
{
    static const QStringList pieces = {
        QStringLiteral("Привет! Как составить план поездки в Казань на выходные?"),
        QStringLiteral("Вот короткий план:\n1. **Кремль** — утром\n2. Улица Баумана 🚶‍♀️\n3. Чак-чак 🍯"),
        QStringLiteral("Код: `for (int i = 0; i < n; ++i) { sum += a[i]; }` и \"кавычки\" \\ слэш"),
        QStringLiteral("Emoji 😀🎉🚀 и табуляция\tи перевод строки\nи юникод \u00e9\u00fc\u4e2d"),
        QStringLiteral("Сравните, пожалуйста, два подхода к кешированию ответов сервера."),
    };
    QString text = pieces.at(index % pieces.size());
    const int repeat = 1 + int(rng.bounded(4));
    for (int i = 1; i < repeat; ++i)
        text += QLatin1Char(' ') + pieces.at((index + i) % pieces.size());
    return text;
}

QByteArray makeChatsReply()
{
    QRandomGenerator rng(42);
    QJsonArray chats;
    const int chatCount = qEnvironmentVariableIntValue("BENCH_CHATS") > 0 ? qEnvironmentVariableIntValue("BENCH_CHATS") : 1000;
    for (int c = 0; c < chatCount; ++c) {
        QJsonArray messages;
        for (int m = 0; m < 40; ++m) {
            QJsonObject message{{QStringLiteral("role"), m % 2 ? QStringLiteral("assistant") : QStringLiteral("user")},
                                {QStringLiteral("text"), sampleText(rng, c * 40 + m)},
                                {QStringLiteral("time"), 1733000000000.0 + c * 100000 + m * 1000}};
            if (m % 17 == 5)
                message.insert(QStringLiteral("image_url"), QStringLiteral("https://vexa.example/img/%1.png").arg(m));
            messages.append(message);
        }
        chats.append(QJsonObject{{QStringLiteral("id"), c % 3 ? QJsonValue(QString::number(c)) : QJsonValue(c)},
                                 {QStringLiteral("title"), QStringLiteral("Чат №%1 «тест»").arg(c)},
                                 {QStringLiteral("messages"), messages}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("ok"), true},
                                     {QStringLiteral("active_chat_id"), QStringLiteral("7")},
                                     {QStringLiteral("chats"), chats}})
        .toJson(QJsonDocument::Compact);
}

QByteArray makeState()
{
    QJsonArray models, memories, projects, actions;
    for (int i = 0; i < 200; ++i)
        models.append(QJsonObject{{QStringLiteral("id"), QStringLiteral("model-%1").arg(i)},
                                  {QStringLiteral("title"), QStringLiteral("Модель %1").arg(i)},
                                  {QStringLiteral("description"), QStringLiteral("Описание модели 🚀 %1").arg(i)},
                                  {QStringLiteral("is_available"), i % 7 != 0}});
    for (int i = 0; i < 3000; ++i) {
        memories.append(QJsonObject{{QStringLiteral("id"), i}, {QStringLiteral("content"), QStringLiteral("Пользователь любит чай с мятой, запись %1").arg(i)},
                                    {QStringLiteral("source"), QStringLiteral("chat")}, {QStringLiteral("created_at"), QStringLiteral("2024-05-01")}});
        projects.append(QJsonObject{{QStringLiteral("id"), i}, {QStringLiteral("name"), QStringLiteral("Проект %1").arg(i)},
                                    {QStringLiteral("updated_at"), QStringLiteral("вчера")}});
        actions.append(QJsonObject{{QStringLiteral("id"), i}, {QStringLiteral("title"), QStringLiteral("Действие %1").arg(i)},
                                   {QStringLiteral("instruction"), QStringLiteral("Сделай кратко")}});
    }
    QJsonObject imageModels;
    for (int i = 0; i < 50; ++i)
        imageModels.insert(QStringLiteral("img-%1").arg(i), QStringLiteral("Картинки %1").arg(i));
    QJsonObject state{{QStringLiteral("user"), QJsonObject{{QStringLiteral("user_id"), 424242}, {QStringLiteral("first_name"), QStringLiteral("Алина")}}},
                      {QStringLiteral("model"), QStringLiteral("model-1")},
                      {QStringLiteral("models"), models},
                      {QStringLiteral("image_models"), imageModels},
                      {QStringLiteral("memories"), memories},
                      {QStringLiteral("projects"), projects},
                      {QStringLiteral("actions"), actions},
                      {QStringLiteral("funpay_limits"), QJsonObject{{QStringLiteral("day"), 5}, {QStringLiteral("week"), 20}, {QStringLiteral("used_day"), 1}, {QStringLiteral("used_week"), 3}}}};
    return QJsonDocument(QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("state"), state}}).toJson(QJsonDocument::Compact);
}

using vexa::bench::median;
using vexa::bench::threadCpuMs;

struct Timing {
    double bare = 0, ours = 0;         // medians of CPU time
    double bareWall = 0, oursWall = 0; // medians of wall time, for reference
};

// glibc's allocator defers part of the work of freeing small blocks (the "fast bins") to the next
// large allocation. Left alone, the runs alternate and each pays for the other's cleanup: the
// 80,000 small blocks of a chats document that QJsonDocument frees were merged by our decoder's
// first allocation (4.5 ms of its 25), and ours by Qt's. Each run settles its own frees before its
// clock stops instead: a block above the small sizes makes glibc merge the deferred ones now.
void settleFreedBlocks()
{
    void *large = std::malloc(4096);
    if (!large)
        std::abort();
    // Written so that the allocation is not optimised away.
    static_cast<volatile char *>(large)[0] = 0;
    std::free(large);
}

// The two parses alternate run by run, so a change in the machine's load weighs on both alike.
template <typename T>
Timing measure(const char *name, const QByteArray &bytes)
{
    std::vector<double> bare, ours, bareWall, oursWall;
    const auto timed = [](auto &&run, std::vector<double> &cpu, std::vector<double> &wall) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = threadCpuMs();
        run();
        settleFreedBlocks();
        cpu.push_back(threadCpuMs() - cpuStart);
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
    };
    for (int i = 0; i < kRuns; ++i) {
        timed([&] {
            const QJsonDocument document = QJsonDocument::fromJson(bytes);
            if (!document.isObject())
                std::abort();
        }, bare, bareWall);
        timed([&] {
            auto decoded = records::decodeJson<T>(bytes);
            if (!decoded)
                std::abort();
        }, ours, oursWall);
    }
    const Timing t{median(bare), median(ours), median(bareWall), median(oursWall)};
    std::printf("%s: %.1f MB, bare parse median %.2f ms CPU (%.2f wall), our decode median %.2f ms CPU "
                "(%.2f wall), %d runs\n",
                name, bytes.size() / 1e6, t.bare, t.bareWall, t.ours, t.oursWall, kRuns);
    return t;
}

} // namespace

int main()
{
    const QByteArray chats = makeChatsReply();
    const QByteArray state = makeState();
    const Timing chatsTime = measure<VexaChatsResponse>("chats", chats);
    const Timing stateTime = measure<VexaResponse>("state", state);
    std::printf("wall_clock_ratio=%.3f\n",
                (chatsTime.oursWall + stateTime.oursWall) / (chatsTime.bareWall + stateTime.bareWall));
    std::printf("chats_ratio=%.3f\nstate_ratio=%.3f\n", chatsTime.ours / chatsTime.bare,
                stateTime.ours / stateTime.bare);
    std::printf("decode_ratio=%.3f\n",
                (chatsTime.ours + stateTime.ours) / (chatsTime.bare + stateTime.bare));
    return 0;
}
