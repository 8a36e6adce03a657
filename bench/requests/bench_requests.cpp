// What the client adds to a request: GET /api/state through VexaClient::refresh() (transport,
// error mapping, strict decoding, publishing the state) against the same requests through a bare
// QNetworkAccessManager that only reads the body. Local service in process on loopback; rounds
// alternate the two so a busy machine weighs on both alike. Last line: request_overhead_ratio.

#include "localservice.h"
#include "vexaclient.h"
#include "cookiestore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QTimer>
#include <QCoro/QCoroNetworkReply>
#include <QCoro/QCoroTask>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kTotal = 2000;
constexpr int kRounds = 10;
constexpr int kPerRound = kTotal / kRounds;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QCoro::Task<qint64> timeClient(vexa::VexaClient &client)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kPerRound; ++i)
        co_await client.refresh();
    co_return timer.nsecsElapsed();
}

QCoro::Task<qint64> timeBare(QNetworkAccessManager &network, QUrl url)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kPerRound; ++i) {
        QNetworkRequest request(url);
        request.setRawHeader("Accept", "application/json");
        QNetworkReply *reply = network.get(request);
        co_await reply;
        reply->readAll();
        reply->deleteLater();
    }
    co_return timer.nsecsElapsed();
}

QCoro::Task<int> run()
{
    vexa::service::LocalService service;
    if (!service.listen()) {
        std::fprintf(stderr, "the local service cannot listen\n");
        co_return 1;
    }
    service.setFixedCode(QString::fromLatin1("111111"));
    QTemporaryDir dir;
    vexa::VexaClient client(service.baseUrl().toString(), dir.filePath(QString::fromLatin1("cookies")));
    co_await client.signIn(QString::fromLatin1("111111"));
    if (!client.isSignedIn()) {
        std::fprintf(stderr, "sign-in failed\n");
        co_return 1;
    }
    QNetworkAccessManager bare;
    bare.cookieJar()->setCookiesFromUrl(client.cookieJar()->cookiesForUrl(service.baseUrl()),
                                        service.baseUrl());
    const QUrl stateUrl = service.baseUrl().resolved(QUrl(QString::fromLatin1("/api/state")));

    // Warm both paths (connections, first decode) before timing.
    co_await timeClient(client);
    co_await timeBare(bare, stateUrl);

    std::vector<double> ratios;
    qint64 oursTotal = 0, bareTotal = 0;
    for (int round = 0; round < kRounds; ++round) {
        qint64 ours = 0, plain = 0;
        if (round % 2 == 0) {
            ours = co_await timeClient(client);
            plain = co_await timeBare(bare, stateUrl);
        } else {
            plain = co_await timeBare(bare, stateUrl);
            ours = co_await timeClient(client);
        }
        oursTotal += ours;
        bareTotal += plain;
        ratios.push_back(double(ours) / double(plain));
    }
    if (client.hasNotice())
        std::fprintf(stderr, "notice: %s\n", qPrintable(client.noticeText()));
    std::printf("%d state requests each: ours %.1f µs, bare %.1f µs per request\n", kTotal,
                double(oursTotal) / kTotal / 1000.0, double(bareTotal) / kTotal / 1000.0);
    std::printf("request_overhead_ratio=%.2f\n", median(ratios));
    co_return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int code = 1;
    auto driver = [&]() -> QCoro::Task<> {
        code = co_await run();
        QCoreApplication::exit(0);
    };
    QTimer::singleShot(0, &app, [&] { driver(); });
    app.exec();
    return code;
}
