// Scrolling a long chat: a 10,000-message conversation in the real chat screen, offscreen on
// the software renderer, paged through for 300 frames; the same messages in a list of plain
// Text items are the yardstick. A frame is the page jump plus the frame the window draws.
// Two chats: an everyday one (prose, lists, now and then a code block) and a rich one whose
// every answer holds a table, code in one of several languages, a nested list or a quote.
// A third chat holds formulas (a thousand different ones, in the text and on lines of their own).
// Lines: chat_scroll_p95_ms=<ours>, chat_scroll_p95_ratio=<ours / plain>, and the same as
// rich_chat_scroll_p95_ms / rich_chat_scroll_p95_ratio and math_chat_scroll_*.

#include "benchtiming.h"
#include "chatviewmodel.h"
#include "vexaclient.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QProcess>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <functional>
#include <ctime>
#include <cstdio>
#include <vector>

Q_IMPORT_QML_PLUGIN(VexaAI_ChatPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ClientPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa;

namespace {

constexpr int kEntries = 10'000;
constexpr int kWarmupFrames = 30;
constexpr int kFrames = 300;
constexpr int kRounds = 5;
const QSize kWindow(1000, 800);

// A client whose messages the benchmark sets; it never talks to a service.
class BenchClient : public VexaClient
{
public:
    using VexaClient::VexaClient;
    using VexaClient::setEntries;
};

// kEntries messages: a question, then its answer (made for the turn), and so on.
QList<ChatEntry> turns(const QStringList &questions, const std::function<QString(int turn)> &answerFor)
{
    QList<ChatEntry> entries;
    entries.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        const int turn = i / 2;
        entries.append(i % 2 == 0
                           ? ChatEntry::make(ChatEntry::Role::User, questions.at(turn % questions.size()))
                           : ChatEntry::make(ChatEntry::Role::Assistant, answerFor(turn)));
    }
    return entries;
}

// A conversation that reads like a real one: short questions, answers of a few paragraphs,
// lists and bold text, a code block in every seventh answer.
QList<ChatEntry> conversation()
{
    static const QStringList questions{
        QStringLiteral("Как выбрать велосипед для города?"),
        QStringLiteral("Объясни, что такое рекурсия, на простом примере."),
        QStringLiteral("Помоги написать письмо коллеге о переносе встречи на четверг."),
        QStringLiteral("Чем отличается чай улун от зелёного?"),
        QStringLiteral("Напиши функцию на Python, которая считает сумму списка."),
    };
    static const QStringList paragraphs{
        QStringLiteral("Хороший вопрос! Главное — понять, **для чего** он нужен: поездки на работу, "
                       "прогулки по выходным или спорт. От этого зависят рама, колёса и передачи."),
        QStringLiteral("- Лёгкая рама из алюминия\n- Крылья и багажник\n- Планетарная втулка на "
                       "3–8 передач\n- Надёжные дисковые тормоза"),
        QStringLiteral("Если коротко, то *рекурсия* — это когда функция вызывает саму себя для "
                       "меньшей части задачи, пока задача не станет тривиальной."),
        QStringLiteral("Уважаемая Анна, к сожалению, во вторник я не успеваю подготовить отчёт. "
                       "Предлагаю перенести встречу на четверг, 15:00. Спасибо за понимание!"),
    };
    return turns(questions, [](int turn) {
        QString answer = paragraphs.at(turn % paragraphs.size());
        if (turn % 3 == 0)
            answer += QStringLiteral("\n\n") + paragraphs.at((turn + 1) % paragraphs.size());
        if (turn % 7 == 0)
            answer += QStringLiteral("\n\n```python\ndef total(values):\n    return sum(values)\n\n"
                                     "print(total([1, 2, 3]))\n```");
        return answer;
    });
}

// Every answer drawn block by block: tables, code in several languages, nested lists, quotes.
QList<ChatEntry> richConversation()
{
    static const QStringList questions{
        QStringLiteral("Сравни языки программирования по году появления и типизации."),
        QStringLiteral("Как прочитать файл построчно?"),
        QStringLiteral("Составь план переезда по шагам."),
        QStringLiteral("Дай цитату о простоте и поясни её."),
        QStringLiteral("Как выбрать пользователей, зарегистрированных за неделю?"),
        QStringLiteral("Как посчитать строки во всех файлах каталога?"),
    };
    static const QStringList parts{
        QStringLiteral("Вот короткое сравнение:\n\n| Язык | Год | Типизация | Где используют |\n"
                       "|:-----|:---:|----------:|:---------------|\n"
                       "| Python | 1991 | динамическая | данные, скрипты, веб |\n"
                       "| Rust | 2015 | статическая | системы, сеть |\n"
                       "| Go | 2009 | статическая | серверы, утилиты |\n"
                       "| **Kotlin** | 2011 | статическая | Android, серверы |"),
        QStringLiteral("На C++ так:\n\n```cpp\n#include <fstream>\n#include <string>\n\n"
                       "int main() {\n    std::ifstream in(\"data.txt\");\n    std::string line;\n"
                       "    while (std::getline(in, line))\n        process(line);\n}\n```\n\n"
                       "А на Python ещё короче:\n\n```python\nwith open(\"data.txt\") as f:\n"
                       "    for line in f:\n        process(line)\n```"),
        QStringLiteral("План:\n\n1. **Подготовка**\n   - составить список вещей\n   - заказать коробки\n"
                       "     - большие для одежды\n     - маленькие для книг\n2. **Переезд**\n"
                       "   1. упаковать хрупкое отдельно\n   2. подписать коробки\n3. **Новое место**\n"
                       "   - [x] подключить интернет\n   - [ ] сменить адрес в банке"),
        QStringLiteral("> Простота — необходимое условие надёжности.\n>\n> > Всё следует упрощать до "
                       "тех пор, пока это возможно, но не более того.\n\nСмысл в том, что лишняя "
                       "сложность прячет ошибки, а *слишком* простое решение не решает задачу."),
        QStringLiteral("Запрос:\n\n```sql\nSELECT id, name, created_at\nFROM users\n"
                       "WHERE created_at >= now() - interval '7 days'\nORDER BY created_at DESC;\n```\n\n"
                       "Индекс по `created_at` ускорит его."),
        QStringLiteral("В оболочке:\n\n```bash\nfind . -type f -name '*.txt' -print0 \\\n"
                       "  | xargs -0 wc -l \\\n  | sort -n | tail -5\n```\n\nИли на JavaScript:\n\n"
                       "```js\nconst lines = files.map(f => fs.readFileSync(f, 'utf8').split('\\n').length);\n"
                       "console.log(lines.reduce((a, b) => a + b, 0));\n```"),
    };
    return turns(questions, [](int turn) {
        // CHAT_BENCH_RICH_PART=n: every answer is the nth kind alone (0 a table, 1 code in two
        // languages, 2 nested lists, 3 quotes, 4 SQL, 5 shell and JavaScript), to see what each costs.
        if (qEnvironmentVariableIsSet("CHAT_BENCH_RICH_PART"))
            return parts.value(qEnvironmentVariableIntValue("CHAT_BENCH_RICH_PART"), parts.first());
        QString answer = parts.at(turn % parts.size());
        if (turn % 4 == 0)
            answer += QStringLiteral("\n\n") + parts.at((turn + 3) % parts.size());
        return answer;
    });
}

// Answers with formulas inside their text and on lines of their own: a thousand different
// formulas over the chat (two per answer, repeating every 500 turns).
QList<ChatEntry> mathConversation()
{
    static const QStringList questions{
        QStringLiteral("Чему равна сумма первых n чисел?"),
        QStringLiteral("Как найти интеграл от степени?"),
    };
    return turns(questions, [](int turn) {
        const int n = turn % 500 + 2;
        if (turn % 2 == 0)
            return QStringLiteral("Сумма первых $n = %1$ чисел равна $\\frac{n(n+1)}{2}$, то есть "
                                  "$\\sum_{k=1}^{%1} k = %2$. Проверим для малых $n$: это верно.")
                .arg(n).arg(n * (n + 1) / 2);
        return QStringLiteral("По формуле для степени:\n\n$$\\int_0^{%1} x^2\\,dx = \\frac{%1^3}{3}$$\n\n"
                              "Здесь $x^2$ растёт, а $\\sqrt{%1}$ — нет.").arg(n);
    });
}

using vexa::bench::median;
using vexa::bench::threadCpuMs;

double percentile(std::vector<double> samples, double fraction)
{
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, size_t(samples.size() * fraction))];
}

// Pages one screen per frame from the end towards the top (and back down at the top). A frame
// is what the window's own render loop does after the jump: bubbles are laid out and the parts
// of the window that changed are drawn, up to the frame being handed over.
class Pager
{
public:
    Pager(QQuickWindow &window, QQuickItem *list) : m_window(window), m_list(list)
    {
        QObject::connect(&window, &QQuickWindow::frameSwapped, &window,
                         [this] { m_swapped = true; });
        QMetaObject::invokeMethod(list, "positionViewAtEnd");
        waitForFrame();
    }

    // One frame in milliseconds of main-thread processor time; -1 when none came.
    double frame()
    {
        const double start = threadCpuMs();
        const qreal top = m_list->property("originY").toReal();
        qreal y = m_list->property("contentY").toReal() + m_direction * m_list->height();
        if (y <= top) {
            y = top;
            m_direction = 1;
        }
        m_list->setProperty("contentY", y);
        if (!waitForFrame())
            return -1;
        return threadCpuMs() - start;
    }

    void saveShot(const QString &folder)
    {
        m_window.grabWindow().save(folder + QLatin1Char('/') + m_window.objectName()
                                   + QStringLiteral(".png"));
    }

private:
    // Sleeps in an event loop until the frame is out, so waiting costs no processor time.
    bool waitForFrame()
    {
        m_swapped = false;
        QEventLoop loop;
        const auto done = QObject::connect(&m_window, &QQuickWindow::frameSwapped, &loop,
                                           &QEventLoop::quit);
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        m_window.requestUpdate();
        if (!m_swapped)
            loop.exec();
        QObject::disconnect(done);
        return m_swapped;
    }

    QQuickWindow &m_window;
    QQuickItem *m_list;
    qreal m_direction = -1;
    bool m_swapped = false;
};

QQuickItem *findByName(QQuickItem *root, const QString &name)
{
    if (root->objectName() == name)
        return root;
    for (QQuickItem *child : root->childItems()) {
        if (QQuickItem *found = findByName(child, name))
            return found;
    }
    return nullptr;
}

// The yardstick: the same messages as plain Text items in a ListView placed exactly where the
// chat screen's message list is, in a window of the same size.
const char *kPlainList = R"(
import QtQuick
Item {
    required property var entries
    required property rect area
    property alias list: list
    ListView {
        id: list
        x: area.x
        y: area.y
        width: area.width
        height: area.height
        model: entries
        reuseItems: true
        spacing: 12
        clip: true
        delegate: Text {
            required property var model
            width: ListView.view.width
            text: model.text
            wrapMode: Text.Wrap
            color: "white"
            font.pointSize: 17
        }
    }
}
)";

} // namespace

// Shows the chat in the real chat screen and in the plain list, pages both and prints the
// figures under `name` (chat_scroll, rich_chat_scroll). Returns false when something failed.
bool measure(BenchClient &client, const QList<ChatEntry> &entries, const char *name,
             const QTemporaryDir &dir)
{
    QElapsedTimer loading;
    loading.start();
    QQuickView ours;
    ours.setObjectName(QString::fromLatin1(name) + QStringLiteral("_ours"));
    ours.engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
    ours.setResizeMode(QQuickView::SizeRootObjectToView);
    ours.setColor(QColor(QStringLiteral("#0b0d17")));
    ours.setSource(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Chat/ChatView.qml")));
    if (ours.status() != QQuickView::Ready) {
        std::fprintf(stderr, "chat view did not load\n");
        return false;
    }
    ours.resize(kWindow);
    ours.show();
    client.setEntries(entries);
    QCoreApplication::processEvents();
    QQuickItem *oursList = findByName(ours.rootObject(), QStringLiteral("messageList"));
    if (!oursList || oursList->property("count").toInt() != kEntries) {
        std::fprintf(stderr, "the message list did not fill\n");
        return false;
    }
    std::printf("%s_load_ms=%.1f\n", name, double(loading.nsecsElapsed()) / 1e6);
    auto *model = ours.rootObject()->property("viewModel").value<ChatViewModel *>()->visibleEntries();

    QQuickView plain;
    plain.setObjectName(QString::fromLatin1(name) + QStringLiteral("_plain"));
    plain.setResizeMode(QQuickView::SizeRootObjectToView);
    plain.setColor(QColor(QStringLiteral("#0b0d17")));
    QFile plainQml(dir.filePath(QStringLiteral("PlainList.qml")));
    if (!plainQml.open(QIODevice::WriteOnly | QIODevice::Truncate) || plainQml.write(kPlainList) < 0)
        return false;
    plainQml.close();
    const QRectF area = oursList->mapRectToScene(QRectF(0, 0, oursList->width(), oursList->height()));
    plain.setInitialProperties({{QStringLiteral("entries"), QVariant::fromValue<QObject *>(model)},
                                {QStringLiteral("area"), area}});
    plain.setSource(QUrl::fromLocalFile(plainQml.fileName()));
    plain.resize(kWindow);
    plain.show();
    QCoreApplication::processEvents();
    QQuickItem *plainList = plain.rootObject()
        ? plain.rootObject()->property("list").value<QQuickItem *>()
        : nullptr;
    if (!plainList || plainList->property("count").toInt() != kEntries) {
        std::fprintf(stderr, "the plain list did not fill\n");
        return false;
    }
    // The two take turns frame by frame, so both see the same machine; the script runs in
    // several rounds and the middle round counts, so a burst of other work on a shared machine
    // does not decide the figure.
    Pager oursPager(ours, oursList);
    Pager plainPager(plain, plainList);
    const qreal oursStart = oursList->property("contentY").toReal();
    qreal travelled = 0;
    std::vector<double> oursRounds;
    std::vector<double> plainRounds;
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<double> oursFrames;
        std::vector<double> plainFrames;
        for (int frame = 0; frame < kWarmupFrames + kFrames; ++frame) {
            const double o = oursPager.frame();
            // CHAT_BENCH_OURS_ONLY: the chat screen alone is paged, for a profiler to see only
            // it (the ratio printed is then meaningless).
            const double p = qEnvironmentVariableIsSet("CHAT_BENCH_OURS_ONLY") ? 1.0 : plainPager.frame();
            if (o < 0 || p < 0) {
                std::fprintf(stderr, "a window stopped drawing frames\n");
                return false;
            }
            if (frame < kWarmupFrames)
                continue;
            oursFrames.push_back(o);
            plainFrames.push_back(p);
        }
        // CHAT_BENCH_SPREAD: each round's frame times from the median to the slowest.
        if (qEnvironmentVariableIsSet("CHAT_BENCH_SPREAD")) {
            for (const auto *frames : {&oursFrames, &plainFrames}) {
                std::fprintf(stderr, "%s %s round %d: p50 %.2f p75 %.2f p90 %.2f p95 %.2f max %.2f ms\n", name,
                             frames == &oursFrames ? "ours" : "plain", round, percentile(*frames, 0.5),
                             percentile(*frames, 0.75), percentile(*frames, 0.9), percentile(*frames, 0.95),
                             *std::max_element(frames->cbegin(), frames->cend()));
            }
        }
        oursRounds.push_back(percentile(oursFrames, 0.95));
        plainRounds.push_back(percentile(plainFrames, 0.95));
        ratios.push_back(oursRounds.back() / plainRounds.back());
        if (round == 0)
            travelled = oursStart - oursList->property("contentY").toReal();
    }
    // A view that snapped back to the end instead of paging would time nothing worth timing.
    if (travelled < 100 * oursList->height()) {
        std::fprintf(stderr, "the %s chat did not page through (%.0f px)\n", name, travelled);
        return false;
    }
    if (qEnvironmentVariableIsSet("CHAT_BENCH_SPREAD")) {
        // Every item under the list is walked by the renderer on every frame it moves, those
        // hidden for reuse too.
        int all = 0;
        int shown = 0;
        const std::function<void(QQuickItem *, bool)> count = [&](QQuickItem *item, bool visible) {
            visible = visible && item->isVisible();
            ++all;
            shown += visible;
            for (QQuickItem *child : item->childItems())
                count(child, visible);
        };
        count(oursList, true);
        std::fprintf(stderr, "%s: %d items under the list, %d of them shown\n", name, all, shown);
    }
    if (qEnvironmentVariableIsSet("CHAT_BENCH_SHOTS")) {
        oursPager.saveShot(qEnvironmentVariable("CHAT_BENCH_SHOTS"));
        plainPager.saveShot(qEnvironmentVariable("CHAT_BENCH_SHOTS"));
    }

    std::printf("%s_frames=%d rounds=%d\n", name, kFrames, kRounds);
    std::printf("%s_plain_p95_ms=%.2f\n", name, median(plainRounds));
    std::printf("%s_p95_ms=%.2f\n", name, median(oursRounds));
    std::printf("%s_p95_ratio=%.2f\n", name, median(ratios));
    return true;
}

int main(int argc, char **argv)
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QQuickStyle::setStyle(QStringLiteral("Material"));

    // Each chat is timed in a process of its own (CHAT_BENCH_ONLY=<name>), so what one chat left
    // behind (the script engine's heap, caches) is not charged to the next.
    const QString only = qEnvironmentVariable("CHAT_BENCH_ONLY");
    if (only.isEmpty()) {
        for (const char *name : {"chat_scroll", "rich_chat_scroll", "math_chat_scroll"}) {
            QProcess run;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("CHAT_BENCH_ONLY"), QLatin1String(name));
            run.setProcessEnvironment(env);
            run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            run.start(QCoreApplication::applicationFilePath(), {});
            if (!run.waitForFinished(20 * 60 * 1000) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0)
                return 1;
            std::fputs(run.readAllStandardOutput().constData(), stdout);
            std::fflush(stdout);
        }
        return 0;
    }

    QTemporaryDir dir;
    BenchClient client(QStringLiteral("http://127.0.0.1:9"), dir.filePath(QStringLiteral("cookies")));
    VexaClient::setShared(&client);
    const auto wanted = [&only](const char *name) { return only.isEmpty() || only == QLatin1String(name); };
    const bool measured = (!wanted("chat_scroll") || measure(client, conversation(), "chat_scroll", dir))
        && (!wanted("rich_chat_scroll") || measure(client, richConversation(), "rich_chat_scroll", dir))
        && (!wanted("math_chat_scroll") || measure(client, mathConversation(), "math_chat_scroll", dir));
    VexaClient::setShared(nullptr);
    return measured ? 0 : 1;
}
