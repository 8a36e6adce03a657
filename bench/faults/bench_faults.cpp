// How long the main thread goes without turning its event loop while the client meets hostile
// servers: every case of the fault tests (refusals, stalls, cut and huge bodies, redirects away,
// bad certificates) through VexaClient::request(), several rounds, with a 1 ms timer noting the
// longest gap between its ticks. The servers run on threads of their own; the local service,
// like the client, on the main thread. Last line: fault_max_stall_ms.

#include "faultrig.h"
#include "stallprobe.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QCoro/QCoroTask>

#include <cstdio>
#include <map>

namespace {

constexpr int kRounds = 3;

QCoro::Task<int> run()
{
    vexa::faults::FaultRig rig;
    if (!rig.setupError().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(rig.setupError()));
        co_return 1;
    }
    QTemporaryDir dir;
    const QString cookies = dir.filePath(QString::fromLatin1("cookies"));
    std::map<QString, double> worstByCase;
    QList<QString> order;
    int wrong = 0;
    vexa::bench::StallProbe probe;
    double worst = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (const vexa::faults::CaseInfo &info : vexa::faults::hostileCases()) {
            const QString name = QString::fromLatin1(info.name);
            const vexa::faults::Arrangement arranged = rig.arrange(info.id);
            // The coroutine resumes inside the reply's finished(): the client (and its
            // manager, which owns the reply) may only go once that has returned.
            auto *client = new vexa::VexaClient(arranged.origin, cookies);
            client->setTimeouts(vexa::faults::FaultRig::timeouts());
            rig.giveSession(*client);
            probe.start();
            auto result = co_await client->request(QString::fromLatin1("/api/state"));
            probe.stop();
            client->deleteLater();
            const QString told = result ? QString::fromLatin1("(success)") : vexa::describe(result.error());
            if (told != arranged.message || !rig.strayRequests().isEmpty()) {
                ++wrong;
                std::fprintf(stderr, "%s: told \"%s\", strays: %s\n", info.name, qPrintable(told),
                             qPrintable(rig.strayRequests().join(QString::fromLatin1("; "))));
            }
            if (!worstByCase.count(name))
                order.append(name);
            worstByCase[name] = std::max(worstByCase[name], probe.worstMs());
            worst = std::max(worst, probe.worstMs());
        }
    }
    for (const QString &name : order)
        std::printf("%-40s worst stall %6.1f ms\n", qPrintable(name), worstByCase[name]);
    if (wrong)
        std::printf("%d case runs did not end as they should\n", wrong);
    std::printf("fault_max_stall_ms=%.1f\n", worst);
    co_return wrong ? 1 : 0;
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
