// Start-up: from process start to the first frame of the signed-in window (demo account with
// 1,000 chats, the open chat holding 200 messages; offscreen, software renderer), against the
// same measure for a Qt Quick window with one text item. Fresh processes, alternating, median of
// the runs. Last line: startup_ratio.

#include "startuprig.h"

#include <QCoro/QCoroTask>

namespace {
const int kRuns = qEnvironmentVariableIntValue("BENCH_RUNS") > 0 ? qEnvironmentVariableIntValue("BENCH_RUNS") : 9;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    vexa::service::LocalService service;
    if (!service.listen())
        return 1;
    bench::seed(service, 1000, 200);
    bench::Home home(service);
    {
        vexa::VexaClient client(service.baseUrl().toString(), home.cookieFile());
        bool done = false;
        auto signIn = [&]() -> QCoro::Task<> {
            co_await client.signIn(QString::fromLatin1("975310"));
            done = true;
        };
        signIn();
        if (!bench::spinUntil([&] { return done; }, 20000) || !client.isSignedIn()) {
            std::fprintf(stderr, "sign-in failed\n");
            return 1;
        }
    }

    // BENCH_TRACE=1: one launch of the app with its start-up milestones (vexa.*.debug) and
    // every other line it logs, timed from the process start; no ratio. BENCH_TRACE_WRAPPER
    // (strace, perf record…) runs the app under it.
    if (qEnvironmentVariableIntValue("BENCH_TRACE") > 0) {
        QProcessEnvironment env = home.environment();
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vexa.*=true"));
        const QString wrapper = qEnvironmentVariable("BENCH_TRACE_WRAPPER");
        auto launched = wrapper.isEmpty()
            ? bench::launch(QStringLiteral(VEXA_APP_BINARY), env, 60000, true)
            : bench::launch(wrapper, env, 60000, true, {QStringLiteral(VEXA_APP_BINARY)});
        bench::spinUntil([] { return false; }, 300); // what it logs right after the frame
        bench::stop(launched);
        return launched.millisecondsToFrame < 0 ? 1 : 0;
    }

    // BENCH_APP: another build of the app to time (a before-and-after comparison).
    const QString appBinary = qEnvironmentVariableIsEmpty("BENCH_APP")
        ? QStringLiteral(VEXA_APP_BINARY) : qEnvironmentVariable("BENCH_APP");
    std::vector<double> appTimes, minimalTimes;
    for (int run = 0; run < kRuns; ++run) {
        for (int which = 0; which < 2; ++which) {
            const bool appFirst = run % 2 == 0;
            const bool isApp = (which == 0) == appFirst;
            auto launched = bench::launch(isApp ? appBinary
                                                : QStringLiteral(VEXA_MINIMAL_WINDOW),
                                          home.environment());
            if (launched.millisecondsToFrame < 0)
                return 1;
            (isApp ? appTimes : minimalTimes).push_back(launched.millisecondsToFrame);
            bench::stop(launched);
        }
    }
    const double appMedian = bench::median(appTimes);
    const double minimalMedian = bench::median(minimalTimes);
    std::printf("signed-in window %.0f ms (runs %.0f–%.0f), minimal window %.0f ms (runs %.0f–%.0f), %d runs each\n",
                appMedian, *std::min_element(appTimes.begin(), appTimes.end()),
                *std::max_element(appTimes.begin(), appTimes.end()), minimalMedian,
                *std::min_element(minimalTimes.begin(), minimalTimes.end()),
                *std::max_element(minimalTimes.begin(), minimalTimes.end()), kRuns);
    std::printf("startup_ratio=%.2f\n", appMedian / minimalMedian);
    return 0;
}
