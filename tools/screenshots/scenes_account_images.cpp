// The images page (empty, with a picture, with a text answer) and each section of the
// productivity sheet opened from the chat's actions menu.

#include "scene.h"

#include "chatviewmodel.h"
#include "imagesviewmodel.h"
#include "rootviewmodel.h"
#include "utilityviewmodel.h"
#include "vexaclient.h"
#include "vexasection.h"

namespace vexa::screenshots {

namespace {

using namespace std::chrono_literals;

const QSize kWide(1280, 800);
const QSize kCompact(420, 860);

// Each awaited result goes into a local before it is tested (GCC 12).
QCoro::Task<ImagesViewModel *> showImages(SceneContext &context)
{
    const bool signedIn = co_await signInAndShowSections(context);
    if (!signedIn)
        co_return nullptr;
    auto *root = qobject_cast<RootViewModel *>(context.findByClass("vexa::RootViewModel"));
    if (!root) {
        context.fail(QString::fromLatin1("no root view model"));
        co_return nullptr;
    }
    root->select(int(VexaSection::Images));
    co_await context.settle();
    auto *images = qobject_cast<ImagesViewModel *>(context.findByClass("vexa::ImagesViewModel"));
    if (!images)
        context.fail(QString::fromLatin1("the images section does not show the images page"));
    co_return images;
}

QCoro::Task<bool> stageEmpty(SceneContext &context)
{
    ImagesViewModel *images = co_await showImages(context);
    co_return images != nullptr;
}

QCoro::Task<bool> generate(SceneContext &context, QString model, QString prompt)
{
    ImagesViewModel *images = co_await showImages(context);
    if (!images)
        co_return false;
    if (!model.isEmpty())
        images->setSelectedModel(model);
    images->setPrompt(prompt);
    images->generate();
    const bool done = co_await context.waitUntil(
        [images] { return !images->generating() && (images->hasResult() || images->hasTextResult()); },
        QString::fromLatin1("the image answer"));
    co_await context.settle(600ms);
    co_return done;
}

QCoro::Task<bool> stageResult(SceneContext &context)
{
    const bool done = co_await generate(context, QString(),
                                        QString::fromUtf8("Уютный город будущего на закате"));
    co_return done;
}

QCoro::Task<bool> stageText(SceneContext &context)
{
    const bool done = co_await generate(context, QString::fromLatin1("vexa-describe"),
                                        QString::fromUtf8("Опиши кота-космонавта"));
    co_return done;
}

// Opens the sheet from the chat screen, in one section, with an optional query.
QCoro::Task<bool> showSection(SceneContext &context, QString mode, QString query)
{
    const bool signedIn = co_await signInAndShowSections(context);
    if (!signedIn)
        co_return false;
    const bool chatShown = co_await context.waitUntil(
        [&context] { return context.findByClass("vexa::ChatViewModel") != nullptr; },
        QString::fromLatin1("the chat screen"));
    if (!chatShown)
        co_return false;
    auto *chat = qobject_cast<ChatViewModel *>(context.findByClass("vexa::ChatViewModel"));
    chat->setShowingUtilities(true);
    const bool opened = co_await context.waitUntil(
        [&context] {
            QObject *sheet = context.find(QString::fromLatin1("utilitiesSheet"));
            return sheet && sheet->property("opened").toBool();
        },
        QString::fromLatin1("the productivity sheet"));
    if (!opened)
        co_return false;
    auto *sheet = qobject_cast<UtilityViewModel *>(context.findByClass("vexa::UtilityViewModel"));
    if (!sheet) {
        context.fail(QString::fromLatin1("no productivity view model"));
        co_return false;
    }
    sheet->setQuery(query);
    if (mode == sheet->mode())
        sheet->load();
    else
        sheet->setMode(mode);
    const bool loaded = co_await context.waitUntil([sheet] { return !sheet->busy(); },
                                                   QString::fromLatin1("the section's reply"));
    co_await context.settle(600ms);
    co_return loaded;
}

QCoro::Task<bool> stageSearch(SceneContext &context)
{
    const bool shown = co_await showSection(context, QString::fromUtf8("Поиск"), QString::fromUtf8("Казан"));
    co_return shown;
}

QCoro::Task<bool> stageExport(SceneContext &context)
{
    const bool shown = co_await showSection(context, QString::fromUtf8("Экспорт"), QString());
    co_return shown;
}

QCoro::Task<bool> stageDocuments(SceneContext &context)
{
    const bool shown = co_await showSection(context, QString::fromUtf8("Документы"), QString());
    co_return shown;
}

QCoro::Task<bool> stageReminders(SceneContext &context)
{
    const bool shown = co_await showSection(context, QString::fromUtf8("Напоминания"), QString());
    co_return shown;
}

QCoro::Task<bool> stageNotices(SceneContext &context)
{
    const bool shown = co_await showSection(context, QString::fromUtf8("Уведомления"), QString());
    co_return shown;
}

} // namespace

QList<Scene> accountImagesScenes()
{
    return {
        {QStringLiteral("images-empty"), QStringLiteral("the images page before any picture"), kWide,
         nullptr, stageEmpty},
        {QStringLiteral("images-result"), QStringLiteral("a generated picture with its actions"), kWide,
         nullptr, stageResult},
        {QStringLiteral("images-result-compact"), QStringLiteral("a generated picture (420×860)"),
         kCompact, nullptr, stageResult},
        {QStringLiteral("images-text"), QStringLiteral("a text answer of the describing model"), kWide,
         nullptr, stageText},
        {QStringLiteral("utility-search"), QStringLiteral("history search for \"Казан\""), kWide,
         nullptr, stageSearch},
        {QStringLiteral("utility-export"), QStringLiteral("the Markdown export of the active chat"),
         kWide, nullptr, stageExport},
        {QStringLiteral("utility-documents"), QStringLiteral("uploaded documents"), kWide, nullptr,
         stageDocuments},
        {QStringLiteral("utility-reminders"), QStringLiteral("Telegram reminders"), kWide, nullptr,
         stageReminders},
        {QStringLiteral("utility-reminders-compact"), QStringLiteral("Telegram reminders (420×860)"),
         kCompact, nullptr, stageReminders},
        {QStringLiteral("utility-notices"), QStringLiteral("notices with their preferences"), kWide,
         nullptr, stageNotices},
    };
}

} // namespace vexa::screenshots
