// The code editor with a large file: a 50,000-line (about 2 MB) Python file opened in the real
// editor pane, offscreen on the software renderer, then 200 characters typed in its middle, one
// key per frame. The yardstick is a plain TextArea in a Flickable with the same text, font and
// size, typed into the same way, key for key in turn with ours so both see the same machine.
// A keystroke's time is the main thread's processor time from the key press to the frame that
// shows it (the colouring runs on a worker thread and is not counted, its formats going on in
// later turns are). Lines: editor_open_ms=<file chosen to its first frame, wall clock>,
// editor_keystroke_p95_ms=<ours>, editor_plain_keystroke_p95_ms=<plain>,
// editor_keystroke_p95_ratio=<ours / plain>. Then both views scroll a page per frame for 200
// frames from there: editor_scroll_p95_ms=<ours>, editor_plain_scroll_p95_ms=<plain>.

#include "benchtiming.h"
#include "codeprojectstore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickView>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <memory>
#include <vector>

Q_IMPORT_QML_PLUGIN(VexaAI_CodePlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_ClientPlugin)
Q_IMPORT_QML_PLUGIN(VexaAI_StylePlugin)

using namespace vexa;
using vexa::bench::median;
using vexa::bench::threadCpuMs;

namespace {

// EDITOR_BENCH_LINES overrides the size (for exploring how a figure grows with the file).
const int kLines = qEnvironmentVariableIntValue("EDITOR_BENCH_LINES") > 0
    ? qEnvironmentVariableIntValue("EDITOR_BENCH_LINES") : 50'000;
constexpr int kKeys = 200;
constexpr int kWarmupKeys = 20;
constexpr int kRounds = 3;
const QSize kWindow(900, 800);

// Python as people write it: classes, functions, docstrings, strings, numbers and comments.
QByteArray largeFile()
{
    static const char *const kTemplate[] = {
        "class Account%1(Base):",
        "    \"\"\"Keeps the balance of account %1 and its history.\"\"\"",
        "",
        "    limit = %1 * 100  # the overdraft allowed",
        "",
        "    def __init__(self, owner, balance=0.0):",
        "        self.owner = owner",
        "        self.balance = float(balance)",
        "        self.history = []",
        "",
        "    def deposit(self, amount):",
        "        if amount <= 0:",
        "            raise ValueError(f\"amount must be positive, got {amount!r}\")",
        "        self.balance += amount",
        "        self.history.append((\"deposit\", amount, %1))",
        "        return self.balance",
        "",
        "    def describe(self):",
        "        return 'Account %1 of ' + self.owner + ': ' + str(round(self.balance, 2))",
        "# ---------------------------------------------------------------------- %1",
    };
    constexpr int kTemplateLines = int(std::size(kTemplate));
    QByteArray out;
    out.reserve(kLines * 62);
    for (int line = 0; line < kLines; ++line) {
        // Wider than the window, like real code with long names (about 40 bytes a line).
        out += QString::fromLatin1(kTemplate[line % kTemplateLines])
                   .replace(QLatin1String("self."), QLatin1String("self.account_state."))
                   .replace(QLatin1String("%1"), QString::number(line / kTemplateLines))
                   .toLatin1();
        out += '\n';
    }
    return out;
}

// The yardstick: a plain text area in a Flickable, without the gutter, colours, current line,
// status line or the store behind it. Its width is fixed and wider than the text: a text area
// whose width followed the longest line would lay the whole file out again at every key there.
const char *kPlainEditor = R"(
import QtQuick
import QtQuick.Controls
Item {
    required property string content
    property alias edit: edit
    Flickable {
        id: flick
        anchors.fill: parent
        clip: true
        contentWidth: edit.width
        contentHeight: edit.height
        TextArea {
            id: edit
            width: 4096
            color: "#e6e6ef"
            text: content
            textFormat: TextEdit.PlainText
            wrapMode: TextEdit.NoWrap
            font.family: "monospace"
            font.pixelSize: 14
        }
    }
}
)";

// Waits in an event loop until the window has drawn a frame; false when none came. The window's
// own update(), not QWindow::requestUpdate(): the scene graph draws only when it was asked to.
bool waitForFrame(QQuickWindow &window)
{
    bool swapped = false;
    QEventLoop loop;
    const auto done = QObject::connect(&window, &QQuickWindow::frameSwapped, &loop, [&] {
        swapped = true;
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    window.update();
    loop.exec();
    QObject::disconnect(done);
    return swapped;
}

// Lets queued work (colours arriving from the worker, coalesced updates) run for a while.
void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// One typed character to the text item: the main thread's processor time until the frame that
// shows it is out; -1 when no frame came. The key goes to the item itself (its Keys handlers
// included), as the window would send it to its focused item: two windows of one process are not
// both active, and the inactive one would drop it.
double keystroke(QQuickWindow &window, QQuickItem *item, QChar c)
{
    const double start = threadCpuMs();
    const QString text(c);
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, text);
    QGuiApplication::sendEvent(item, &press);
    QGuiApplication::sendEvent(item, &release);
    if (!waitForFrame(window))
        return -1;
    return threadCpuMs() - start;
}

double percentile95(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, size_t(samples.size() * 0.95))];
}

// A text view made from `qml` (written next to the project) holding the file's text.
std::unique_ptr<QQuickView> textView(const char *qml, const QTemporaryDir &dir, const QByteArray &bytes, QSize size)
{
    auto view = std::make_unique<QQuickView>();
    view->engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
    view->setResizeMode(QQuickView::SizeRootObjectToView);
    view->setColor(QColor(QStringLiteral("#0b0d17")));
    QFile file(dir.filePath(QStringLiteral("TextView.qml")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(qml) < 0)
        return view;
    file.close();
    view->setInitialProperties({{QStringLiteral("content"), QString::fromUtf8(bytes)}});
    view->setSource(QUrl::fromLocalFile(file.fileName()));
    view->resize(size);
    view->show();
    return view;
}

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

} // namespace

int main(int argc, char **argv)
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QStandardPaths::setTestModeEnabled(true);
    QQuickStyle::setStyle(QStringLiteral("Material"));

    QTemporaryDir dir;
    CodeProjectStore store;
    store.setDataRoot(dir.path());
    store.openAccount(1);
    if (!store.createProject(QStringLiteral("bench")) || !store.projectFolder()) {
        std::fprintf(stderr, "no project folder\n");
        return 1;
    }
    const QByteArray bytes = largeFile();
    // EDITOR_BENCH_FILE names the file (its extension chooses the colours; .txt has none).
    const QString fileName = qEnvironmentVariableIsSet("EDITOR_BENCH_FILE")
        ? qEnvironmentVariable("EDITOR_BENCH_FILE") : QStringLiteral("large.py");
    {
        QFile file(*store.projectFolder() + QLatin1Char('/') + fileName);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }
    store.refreshFiles();
    std::printf("editor_file_lines=%d editor_file_bytes=%lld\n", kLines, qint64(bytes.size()));

    QQuickView ours;
    ours.engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
    ours.setResizeMode(QQuickView::SizeRootObjectToView);
    ours.setColor(QColor(QStringLiteral("#0b0d17")));
    ours.setInitialProperties({{QStringLiteral("store"), QVariant::fromValue<QObject *>(&store)}});
    ours.setSource(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Code/CodeEditorPane.qml")));
    if (ours.status() != QQuickView::Ready) {
        std::fprintf(stderr, "the editor pane did not load\n");
        return 1;
    }
    ours.resize(kWindow);
    ours.show();
    if (!waitForFrame(ours))
        return 1;

    // Opening: the file chosen to the first frame that shows it.
    QElapsedTimer opening;
    opening.start();
    const double openCpu = threadCpuMs();
    store.selectFile(fileName);
    if (!waitForFrame(ours))
        return 1;
    std::printf("editor_open_ms=%.1f\n", double(opening.nsecsElapsed()) / 1e6);
    std::printf("editor_open_cpu_ms=%.1f\n", threadCpuMs() - openCpu);
    QQuickItem *editor = findByName(ours.rootObject(), QStringLiteral("editor"));
    if (!editor || editor->property("lineCount").toInt() != kLines + 1) {
        std::fprintf(stderr, "the editor does not show the file\n");
        return 1;
    }

    // The yardsticks get the size of the editor's scrolling view.
    const QSize viewport = editor->parentItem()->parentItem()->size().toSize();
    std::unique_ptr<QQuickView> plainView = textView(kPlainEditor, dir, bytes, viewport);
    QQuickView &plain = *plainView;
    QQuickItem *plainEdit = plain.rootObject() ? plain.rootObject()->property("edit").value<QQuickItem *>()
                                               : nullptr;
    if (!plainEdit || !waitForFrame(plain))
        return 1;

    // Both cursors in the middle of the file, on the same line; the colours settle first.
    const int middle = int(bytes.left(bytes.size() / 2).lastIndexOf('\n')) + 1;
    for (QQuickItem *edit : {editor, plainEdit}) {
        edit->forceActiveFocus();
        edit->setProperty("cursorPosition", middle);
    }
    settle(3000);
    waitForFrame(ours);
    waitForFrame(plain);

    const QString typed = QStringLiteral("total = price * 3 + offset  # sum\n");
    std::vector<double> oursRounds;
    std::vector<double> plainRounds;
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<double> oursKeys;
        std::vector<double> plainKeys;
        for (int key = 0; key < kWarmupKeys + kKeys; ++key) {
            const QChar c = typed.at(key % typed.size());
            const double o = keystroke(ours, editor, c == u'\n' ? QChar(u' ') : c);
            const double p = keystroke(plain, plainEdit, c == u'\n' ? QChar(u' ') : c);
            if (o < 0 || p < 0) {
                std::fprintf(stderr, "a window stopped drawing frames (ours %.0f, plain %.0f, key %d)\n", o, p, key);
                return 1;
            }
            if (key < kWarmupKeys)
                continue;
            oursKeys.push_back(o);
            plainKeys.push_back(p);
        }
        oursRounds.push_back(percentile95(oursKeys));
        plainRounds.push_back(percentile95(plainKeys));
        ratios.push_back(oursRounds.back() / plainRounds.back());
    }
    // Every key reached both texts.
    const int expected = kLines + 1;
    if (editor->property("lineCount").toInt() != expected
        || store.editorText().size() != plainEdit->property("length").toInt()) {
        std::fprintf(stderr, "the typed text did not reach both editors alike (%lld, %d)\n",
                     qint64(store.editorText().size()), plainEdit->property("length").toInt());
        return 1;
    }
    if (qEnvironmentVariableIsSet("EDITOR_BENCH_SHOTS")) {
        const QString folder = qEnvironmentVariable("EDITOR_BENCH_SHOTS");
        ours.grabWindow().save(folder + QStringLiteral("/editor_ours.png"));
        plain.grabWindow().save(folder + QStringLiteral("/editor_plain.png"));
    }
    std::printf("editor_keys=%d rounds=%d\n", kKeys, kRounds);
    std::printf("editor_plain_keystroke_p95_ms=%.2f\n", median(plainRounds));
    std::printf("editor_keystroke_p95_ms=%.2f\n", median(oursRounds));
    std::printf("editor_keystroke_p95_ratio=%.2f\n", median(ratios));

    // Scrolling: a page per frame from the middle of the file towards its end, in both views.
    QQuickItem *oursFlick = editor->parentItem()->parentItem();
    QQuickItem *plainFlick = plainEdit->parentItem()->parentItem();
    std::vector<double> oursPages;
    std::vector<double> plainPages;
    for (int frame = 0; frame < kWarmupKeys + kKeys; ++frame) {
        double times[2] = {0, 0};
        int side = 0;
        for (auto [window, flick] : {std::pair{&ours, oursFlick}, std::pair{&plain, plainFlick}}) {
            const double start = threadCpuMs();
            flick->setProperty("contentY", flick->property("contentY").toReal() + flick->height());
            if (!waitForFrame(*window))
                return 1;
            times[side++] = threadCpuMs() - start;
        }
        if (frame < kWarmupKeys)
            continue;
        oursPages.push_back(times[0]);
        plainPages.push_back(times[1]);
    }
    std::printf("editor_plain_scroll_p95_ms=%.2f\n", percentile95(plainPages));
    std::printf("editor_scroll_p95_ms=%.2f\n", percentile95(oursPages));
    return 0;
}
