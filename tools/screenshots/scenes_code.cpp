// The code workspace: the empty state of a new account, and a project with a file open and a
// short conversation with the assistant.

#include "scene.h"

#include "codeproject.h"
#include "codeprojectstore.h"
#include "codeworkspaceviewmodel.h"
#include "localservice.h"
#include "rootviewmodel.h"
#include "servicestate.h"
#include "vexasection.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace vexa::screenshots {

namespace {

const QSize kWide(1280, 800);
const QSize kCompact(420, 860);

// The demo account's folder of code projects, where the app's store will look.
QString accountFolder(service::LocalService &service)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/VexaAI/CodeProjects/") + QString::number(service.state().userId);
}

void clearProjects(service::LocalService &service)
{
    QDir(accountFolder(service)).removeRecursively();
}

void putDemoProject(service::LocalService &service)
{
    clearProjects(service);
    const QString account = accountFolder(service);
    CodeProject project = CodeProject::make(QStringLiteral("Калькулятор"));
    project.conversationID = QStringLiteral("code-demo");
    project.messages.append(ChatEntry::make(ChatEntry::Role::User,
                                            QStringLiteral("Почему add возвращает разность?")));
    project.messages.append(ChatEntry::make(
        ChatEntry::Role::Assistant,
        QStringLiteral("В `add` стоит вычитание вместо сложения. Исправление:\n\n"
                       "```python\ndef add(a, b):\n    return a + b\n```\n\n"
                       "Добавьте тест: `assert add(2, 3) == 5`.")));
    const QString folder = account + QLatin1Char('/') + canonicalUuidText(project.id);
    // A project that cannot be written shows up as the stage's failure to find it.
    if (!QDir().mkpath(folder) || !writeCodeProject(account, project))
        return;
    QFile file(folder + QStringLiteral("/calc.py"));
    if (file.open(QIODevice::WriteOnly))
        file.write("def add(a, b):\n    return a - b\n\n\ndef mul(a, b):\n    return a * b\n");
    QFile cpp(folder + QStringLiteral("/geometry.cpp"));
    if (cpp.open(QIODevice::WriteOnly))
        cpp.write("#include <cmath>\n#include <vector>\n\n"
                  "// A point on the plane.\nstruct Point {\n    double x = 0;\n    double y = 0;\n};\n\n"
                  "/* The length of a closed path through the points. */\n"
                  "double perimeter(const std::vector<Point> &points)\n{\n"
                  "    double total = 0.0;\n"
                  "    for (size_t i = 0; i < points.size(); ++i) {\n"
                  "        const Point &a = points[i];\n"
                  "        const Point &b = points[(i + 1) % points.size()];\n"
                  "        total += std::hypot(b.x - a.x, b.y - a.y);\n    }\n"
                  "    return total; // \"units\"\n}\n");
    QFile notes(folder + QStringLiteral("/README.md"));
    if (notes.open(QIODevice::WriteOnly))
        notes.write("# Калькулятор\n");
}

// Each awaited result goes into a local before it is tested: with GCC 12 a task awaited inside
// an if condition here resumed a destroyed frame when the awaited chain finished at once.
QCoro::Task<bool> showCodeSection(SceneContext &context)
{
    const bool signedIn = co_await signInAndShowSections(context);
    if (!signedIn)
        co_return false;
    auto *root = qobject_cast<RootViewModel *>(context.findByClass("vexa::RootViewModel"));
    if (!root) {
        context.fail(QString::fromLatin1("no root view model"));
        co_return false;
    }
    root->select(int(VexaSection::Code));
    // The section's screen is made as the selection changes; a pause lets it lay out.
    co_await context.settle();
    if (!context.findByClass("vexa::CodeWorkspaceViewModel")) {
        context.fail(QString::fromLatin1("the code section does not show the code workspace"));
        co_return false;
    }
    co_return true;
}

QCoro::Task<bool> stageEmpty(SceneContext &context)
{
    const bool shown = co_await showCodeSection(context);
    if (!shown)
        co_return false;
    co_await context.settle();
    co_return true;
}

QCoro::Task<bool> stageProject(SceneContext &context)
{
    const bool shown = co_await showCodeSection(context);
    if (!shown)
        co_return false;
    auto *workspace = qobject_cast<CodeWorkspaceViewModel *>(
        context.findByClass("vexa::CodeWorkspaceViewModel"));
    const bool listed = co_await context.waitUntil(
        [workspace] { return workspace->store()->hasProject(); },
        QString::fromLatin1("the demo project"));
    if (!listed)
        co_return false;
    workspace->selectFile(QString::fromLatin1("calc.py"));
    workspace->setQuestion(QString::fromUtf8("А как проверить mul?"));
    co_await context.settle();
    co_return workspace->store()->hasOpenFile();
}

// calc.py open with its colours and the find bar searching for "add".
QCoro::Task<bool> stageFind(SceneContext &context)
{
    const bool opened = co_await stageProject(context);
    if (!opened)
        co_return false;
    QObject *bar = context.find(QStringLiteral("findBar"));
    QObject *field = context.find(QStringLiteral("findField"));
    if (!bar || !field) {
        context.fail(QString::fromLatin1("no find bar over the editor"));
        co_return false;
    }
    QMetaObject::invokeMethod(bar, "open", Q_ARG(QVariant, QStringLiteral("find")));
    field->setProperty("text", QStringLiteral("add"));
    co_await context.settle();
    QMetaObject::invokeMethod(bar, "step", Q_ARG(QVariant, true));
    co_await context.settle();
    co_return true;
}

// geometry.cpp open in a narrow window: the editor over the conversation.
QCoro::Task<bool> stageCppCompact(SceneContext &context)
{
    const bool opened = co_await stageProject(context);
    if (!opened)
        co_return false;
    auto *workspace = qobject_cast<CodeWorkspaceViewModel *>(
        context.findByClass("vexa::CodeWorkspaceViewModel"));
    workspace->selectFile(QString::fromLatin1("geometry.cpp"));
    workspace->setQuestion(QString());
    co_await context.settle();
    co_return workspace->store()->selectedFileText() == QString::fromLatin1("geometry.cpp");
}

} // namespace

QList<Scene> codeScenes()
{
    return {
        {QStringLiteral("code-empty"), QStringLiteral("the code workspace without projects"),
         kWide, clearProjects, stageEmpty},
        {QStringLiteral("code-project"),
         QStringLiteral("a project with calc.py open and a short conversation"), kWide,
         putDemoProject, stageProject},
        {QStringLiteral("code-find"),
         QStringLiteral("calc.py with its colours and the find bar on \"add\""), kWide,
         putDemoProject, stageFind},
        {QStringLiteral("code-cpp-compact"),
         QStringLiteral("geometry.cpp with its colours at 420×860, the editor over the conversation"),
         kCompact, putDemoProject, stageCppCompact},
    };
}

} // namespace vexa::screenshots
