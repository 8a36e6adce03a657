// Start-up: from process start to the first frame of the signed-in window (demo account with
// 1,000 chats, the open chat holding 200 messages; offscreen, software renderer), against the
// same measure for a Qt Quick window with one text item. Fresh processes, alternating, median of
// the runs. Also timed: a Qt Quick Controls window with one label in the app's style, the part
// of the ratio any Controls window pays (controls_floor_ratio), and a Qt Quick window without
// Controls that shows the same 1,000 chat titles and 200 messages from memory (no service, no
// decoding, no app): the least any window showing that content pays (content_floor_ratio).
// The same screen's floor (floor_window.cpp: the signed-in window's first frame made of the app's
// own components and Qt Quick Controls in its style, from memory) is timed with them:
// startup_floor_ratio, the app against the least its own screen pays. Last line: startup_ratio.
// With --web: the app against the web peer (webpeer.h), Chromium drawing the same content until
// its first frame is captured, alternating fresh launches; prints startup_web_ratio.

#include "startuprig.h"
#include "webpeer.h"

#include <QCoro/QCoroTask>

#include <array>

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

    if (app.arguments().contains(QStringLiteral("--web"))) {
        if (bench::web::chromiumBinary().isEmpty()) {
            std::printf("startup_web_ratio: Chromium is not installed (./vexa bench installs it)\n");
            return 0;
        }
        const bench::web::PeerHome peer(service.state());
        std::vector<double> appTimes, webTimes;
        for (int run = 0; run < kRuns; ++run) {
            for (int turn = 0; turn < 2; ++turn) {
                if ((run + turn) % 2 == 0) {
                    auto launched = bench::launch(QStringLiteral(VEXA_APP_BINARY), home.environment());
                    if (launched.millisecondsToFrame < 0)
                        return 1;
                    appTimes.push_back(launched.millisecondsToFrame);
                    bench::stop(launched);
                } else {
                    const double ms = bench::web::timeToFirstCapture(peer, run);
                    if (ms < 0) {
                        std::fprintf(stderr, "Chromium gave no first frame\n");
                        return 1;
                    }
                    webTimes.push_back(ms);
                }
            }
        }
        const double appMedian = bench::median(appTimes), webMedian = bench::median(webTimes);
        std::printf("signed-in window %.0f ms, Chromium's first captured frame of the same page "
                    "%.0f ms, %d runs each\n", appMedian, webMedian, kRuns);
        std::printf("startup_web_ratio=%.2f\n", appMedian / webMedian);
        return 0;
    }

    // BENCH_APP: another build of the app to time (a before-and-after comparison).
    const QString appBinary = qEnvironmentVariableIsEmpty("BENCH_APP")
        ? QStringLiteral(VEXA_APP_BINARY) : qEnvironmentVariable("BENCH_APP");
    // Five programs in a rotating order: the app, the minimal window, the same window made with
    // Qt Quick Controls in the app's style, the content window (both for reference) and the same
    // screen's floor.
    struct Program {
        QString binary;
        QStringList arguments;
        std::vector<double> times;
    };
    std::array<Program, 5> programs{{{appBinary, {}, {}},
                                     {QStringLiteral(VEXA_MINIMAL_WINDOW), {}, {}},
                                     {QStringLiteral(VEXA_MINIMAL_WINDOW), {QStringLiteral("--controls")}, {}},
                                     {QStringLiteral(VEXA_MINIMAL_WINDOW), {QStringLiteral("--content")}, {}},
                                     {QStringLiteral(VEXA_FLOOR_WINDOW), {}, {}}}};
    for (int run = 0; run < kRuns; ++run) {
        for (size_t turn = 0; turn < programs.size(); ++turn) {
            Program &program = programs[(size_t(run) + turn) % programs.size()];
            auto launched = bench::launch(program.binary, home.environment(), 60000, false,
                                          program.arguments);
            if (launched.millisecondsToFrame < 0)
                return 1;
            program.times.push_back(launched.millisecondsToFrame);
            bench::stop(launched);
        }
    }
    const auto summary = [](const Program &program) {
        return QStringLiteral("%1 ms (runs %2–%3)")
            .arg(bench::median(program.times), 0, 'f', 0)
            .arg(*std::min_element(program.times.begin(), program.times.end()), 0, 'f', 0)
            .arg(*std::max_element(program.times.begin(), program.times.end()), 0, 'f', 0);
    };
    const double appMedian = bench::median(programs[0].times);
    const double minimalMedian = bench::median(programs[1].times);
    const double controlsMedian = bench::median(programs[2].times);
    const double contentMedian = bench::median(programs[3].times);
    const double floorMedian = bench::median(programs[4].times);
    std::printf("signed-in window %s, minimal window %s, Controls window with one label %s, "
                "content window %s, the same screen's floor %s, %d runs each\n",
                qPrintable(summary(programs[0])), qPrintable(summary(programs[1])),
                qPrintable(summary(programs[2])), qPrintable(summary(programs[3])),
                qPrintable(summary(programs[4])), kRuns);
    std::printf("controls_floor_ratio=%.2f\n", controlsMedian / minimalMedian);
    std::printf("content_floor_ratio=%.2f\n", contentMedian / minimalMedian);
    std::printf("startup_floor_ratio=%.2f\n", appMedian / floorMedian);
    std::printf("startup_ratio=%.2f\n", appMedian / minimalMedian);
    return 0;
}
