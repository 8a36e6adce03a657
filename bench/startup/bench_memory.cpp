// Memory: resident memory of the app once idle after start-up (demo account with 1,000 chats)
// and after opening a 1,000-message chat, minus the same for a Qt Quick window with one text
// item: idle_rss_extra_mib (the larger of the two states, minus the yardstick). The app's
// proportional set size once idle after start-up against the web peer's (webpeer.h: Chromium
// showing the same content, all its processes summed), where Chromium is installed:
// memory_web_ratio. Then what the sections the user has visited keep alive: the same app, idle
// after start-up and again idle after showing every section and coming back to the chat, in one
// process: sections_all_visited_rss_extra_mib (the second minus the first).

#include "startuprig.h"
#include "webpeer.h"

#include <QCoro/QCoroTask>

namespace {

// Resident memory after the process has been quiet for a while (the allocator settles).
// BENCH_SMAPS=dir keeps each idle process's memory map there (smaps-1, smaps-2, …) to see
// where the memory goes.
double idleResident(bench::Launch &launched)
{
    bench::spinUntil([] { return false; }, 2500);
    const qint64 pid = launched.process->processId();
    if (const QString dir = qEnvironmentVariable("BENCH_SMAPS"); !dir.isEmpty()) {
        static int taken = 0;
        QFile map(QStringLiteral("/proc/%1/smaps").arg(pid));
        QFile kept(QStringLiteral("%1/smaps-%2").arg(dir).arg(++taken));
        if (map.open(QIODevice::ReadOnly) && kept.open(QIODevice::WriteOnly))
            kept.write(map.readAll()); // read through: the kernel gives /proc files no size
    }
    return bench::residentMiB(pid);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    vexa::service::LocalService service;
    if (!service.listen())
        return 1;
    bench::Home home(service);
    {
        vexa::VexaClient client(service.baseUrl().toString(), home.cookieFile());
        bool done = false;
        auto signIn = [&]() -> QCoro::Task<> {
            co_await client.signIn(QString::fromLatin1("975310"));
            done = true;
        };
        signIn();
        if (!bench::spinUntil([&] { return done; }, 20000) || !client.isSignedIn())
            return 1;
    }

    auto measure = [&](const QString &program) {
        auto launched = bench::launch(program, home.environment());
        const double rss = launched.millisecondsToFrame < 0 ? -1 : idleResident(launched);
        bench::stop(launched);
        return rss;
    };

    const double minimal = measure(QStringLiteral(VEXA_MINIMAL_WINDOW));
    bench::seed(service, 1000, 200);
    double startedPss = -1;
    auto launchedApp = bench::launch(QStringLiteral(VEXA_APP_BINARY), home.environment());
    const double started = launchedApp.millisecondsToFrame < 0 ? -1 : idleResident(launchedApp);
    if (started > 0)
        startedPss = bench::web::proportionalMiB(launchedApp.process->processId());
    bench::stop(launchedApp);
    bench::seed(service, 1000, 1000); // the open chat now holds 1,000 messages
    const double openChat = measure(QStringLiteral(VEXA_APP_BINARY));
    if (minimal < 0 || started < 0 || openChat < 0)
        return 1;
    std::printf("resident: minimal window %.1f MiB, app idle after start %.1f MiB, with a 1,000-message chat open %.1f MiB\n",
                minimal, started, openChat);
    if (bench::web::chromiumBinary().isEmpty()) {
        std::printf("memory_web_ratio: Chromium is not installed (./vexa bench installs it)\n");
    } else {
        bench::seed(service, 1000, 200);
        const bench::web::PeerHome peer(service.state());
        const double web = bench::web::idleProportionalMiB(peer, 2500);
        if (web < 0 || startedPss < 0)
            return 1;
        std::printf("proportional set size once idle: app %.1f MiB, Chromium with the same page %.1f MiB "
                    "(all its processes)\n", startedPss, web);
        std::printf("memory_web_ratio=%.2f\n", startedPss / web);
    }
    std::printf("idle_rss_extra_mib=%.1f\n", std::max(started, openChat) - minimal);

    bench::seed(service, 1000, 200);
    auto visitor = bench::launch(QStringLiteral(VEXA_SECTIONS_VISITOR), home.environment());
    if (visitor.millisecondsToFrame < 0)
        return 1;
    const double beforeVisits = idleResident(visitor);
    QByteArray log;
    visitor.process->write("visit\n");
    const bool visited = bench::spinUntil([&] {
        log += visitor.process->readAllStandardError();
        return log.contains("all sections visited") || visitor.process->state() != QProcess::Running;
    }, 60000) && log.contains("all sections visited");
    const double afterVisits = visited ? idleResident(visitor) : -1;
    if (qEnvironmentVariableIsSet("BENCH_TRACE"))
        std::fprintf(stderr, "%s", log.constData());
    bench::stop(visitor);
    if (!visited || beforeVisits < 0 || afterVisits < 0) {
        std::fprintf(stderr, "the sections were not visited:\n%s\n", log.constData());
        return 1;
    }
    std::printf("resident: app idle after start %.1f MiB, after showing every section %.1f MiB\n",
                beforeVisits, afterVisits);
    std::printf("sections_all_visited_rss_extra_mib=%.1f\n", afterVisits - beforeVisits);
    return 0;
}
