// The content screens: the workspace (saved answers with one opened, memories, projects) and
// the tools (a web search answered, actions, characters with their portraits), wide and compact.

#include "scene.h"

#include "localservice.h"
#include "rootviewmodel.h"
#include "savedanswersviewmodel.h"
#include "toolsviewmodel.h"
#include "vexasection.h"

namespace vexa::screenshots {

namespace {

const QSize kWide(1280, 800);
const QSize kCompact(420, 860);

// Each awaited result goes into a local before it is tested (see scenes_code.cpp).
QCoro::Task<bool> showSection(SceneContext &context, VexaSection section, const char *viewModelClass)
{
    const bool signedIn = co_await signInAndShowSections(context);
    if (!signedIn)
        co_return false;
    auto *root = qobject_cast<RootViewModel *>(context.findByClass("vexa::RootViewModel"));
    if (!root) {
        context.fail(QString::fromLatin1("no root view model"));
        co_return false;
    }
    root->select(int(section));
    co_await context.settle();
    if (!context.findByClass(viewModelClass)) {
        context.fail(QString::fromLatin1("the section does not show %1").arg(QLatin1String(viewModelClass)));
        co_return false;
    }
    co_return true;
}

QCoro::Task<bool> stageWorkspace(SceneContext &context)
{
    const bool shown = co_await showSection(context, VexaSection::Workspace,
                                            "vexa::SavedAnswersViewModel");
    if (!shown)
        co_return false;
    auto *answers = qobject_cast<SavedAnswersViewModel *>(
        context.findByClass("vexa::SavedAnswersViewModel"));
    const bool loaded = co_await context.waitUntil(
        [answers] { return answers->loaded() && !answers->allRecipes().isEmpty(); },
        QString::fromLatin1("the first page of saved answers and the recipes"));
    if (!loaded)
        co_return false;
    co_await context.settle();
    co_return true;
}

QCoro::Task<bool> stageTools(SceneContext &context)
{
    const bool shown = co_await showSection(context, VexaSection::Tools, "vexa::ToolsViewModel");
    if (!shown)
        co_return false;
    auto *tools = qobject_cast<ToolsViewModel *>(context.findByClass("vexa::ToolsViewModel"));
    tools->setQuery(QString::fromUtf8("Какая погода в Казани на выходных?"));
    tools->search();
    const bool ready = co_await context.waitUntil(
        [tools] {
            return !tools->searchBusy() && !tools->searchResult().isEmpty()
                && !tools->characterList().isEmpty();
        },
        QString::fromLatin1("the search answer and the characters"));
    if (!ready)
        co_return false;
    // The portraits load on QML's own thread.
    co_await context.settle(std::chrono::milliseconds(1200));
    co_return true;
}

} // namespace

QList<Scene> contentScenes()
{
    return {
        {QStringLiteral("workspace-wide"), QStringLiteral("the workspace: saved answers, memory, projects"),
         kWide, {}, stageWorkspace},
        {QStringLiteral("workspace-compact"), QStringLiteral("the workspace in a narrow window"),
         kCompact, {}, stageWorkspace},
        {QStringLiteral("tools-wide"), QStringLiteral("the tools: a search answer, actions, characters"),
         kWide, {}, stageTools},
        {QStringLiteral("tools-compact"), QStringLiteral("the tools in a narrow window"),
         kCompact, {}, stageTools},
    };
}

} // namespace vexa::screenshots
