// The shell's screens: waiting, sign-in, the signed-in layout at both widths, the sections
// sheet and the notice alert.

#include "scene.h"

#include "localservice.h"
#include "rootviewmodel.h"
#include "vexaclient.h"

#include <QQuickItem>

namespace vexa::screenshots {

namespace {

using namespace std::chrono_literals;

const QSize kWide(1280, 800);
const QSize kCompact(420, 860);

// The restore at launch gets no answer for a minute: the waiting screen stays.
void holdRestore(service::LocalService &service)
{
    service::ScriptedReply reply;
    reply.status = 401;
    reply.body = QByteArrayLiteral("{\"ok\":false,\"error\":\"unauthorized\"}");
    reply.delay = 60s;
    service.script("GET", QStringLiteral("/api/state"), reply);
}

QCoro::Task<bool> stageWaiting(SceneContext &context)
{
    const bool shown = co_await context.waitUntil(
        [&context] { return context.find(QString::fromLatin1("waitingView")) != nullptr; },
        QString::fromLatin1("the waiting screen"));
    co_await context.settle();
    co_return shown;
}

QCoro::Task<bool> stageSignIn(SceneContext &context)
{
    const bool shown = co_await waitForSignInScreen(context);
    co_await context.settle();
    co_return shown;
}

QCoro::Task<bool> stageSignInWithCode(SceneContext &context)
{
    if (!co_await waitForSignInScreen(context))
        co_return false;
    QObject *field = context.find(QString::fromLatin1("codeField"));
    if (!field) {
        context.fail(QString::fromLatin1("no code field"));
        co_return false;
    }
    field->setProperty("text", QString::fromLatin1("482913"));
    co_await context.settle();
    co_return true;
}

QCoro::Task<bool> stageSections(SceneContext &context)
{
    const bool shown = co_await signInAndShowSections(context);
    co_await context.settle();
    co_return shown;
}

QCoro::Task<bool> stageSheet(SceneContext &context)
{
    if (!co_await signInAndShowSections(context))
        co_return false;
    auto *root = qobject_cast<RootViewModel *>(context.findByClass("vexa::RootViewModel"));
    if (!root) {
        context.fail(QString::fromLatin1("no root view model"));
        co_return false;
    }
    root->openSections();
    root->setQuickSearch(QString::fromUtf8("пр"));
    co_await context.settle(600ms);
    co_return true;
}

// The shortcuts sheet as Ctrl+/ opens it; `query` typed into its search.
QCoro::Task<bool> stageShortcuts(SceneContext &context, QString query)
{
    if (!co_await signInAndShowSections(context))
        co_return false;
    QObject *rootView = context.find(QString::fromLatin1("rootView"));
    if (!rootView) {
        context.fail(QString::fromLatin1("no root view"));
        co_return false;
    }
    QMetaObject::invokeMethod(rootView, "openShortcuts");
    const bool shown = co_await context.waitUntil(
        [&context] {
            QObject *sheet = context.find(QString::fromLatin1("shortcutsSheet"));
            return sheet && sheet->property("opened").toBool();
        },
        QString::fromLatin1("the shortcuts sheet"));
    if (!shown)
        co_return false;
    if (QObject *field = context.find(QString::fromLatin1("shortcutSearchField")))
        field->setProperty("text", query);
    co_await context.settle(600ms);
    co_return true;
}

QCoro::Task<bool> stageNotice(SceneContext &context)
{
    if (!co_await waitForSignInScreen(context))
        co_return false;
    co_await context.client().signIn(QString::fromLatin1("000000")); // refused by the service
    const bool shown = co_await context.waitUntil(
        [&context] {
            QObject *alert = context.find(QString::fromLatin1("noticeAlert"));
            return alert && alert->property("opened").toBool();
        },
        QString::fromLatin1("the notice alert"));
    co_await context.settle();
    co_return shown;
}

} // namespace

QList<Scene> shellScenes()
{
    return {
        {QStringLiteral("shell-waiting"), QStringLiteral("restoring the session at launch"),
         kWide, holdRestore, stageWaiting},
        {QStringLiteral("shell-sign-in"), QStringLiteral("the sign-in screen, empty"), kWide,
         nullptr, stageSignIn},
        {QStringLiteral("shell-sign-in-code"), QStringLiteral("the sign-in screen with a code"),
         kCompact, nullptr, stageSignInWithCode},
        {QStringLiteral("shell-sections-wide"), QStringLiteral("signed in, sidebar (1280×800)"),
         kWide, nullptr, stageSections},
        {QStringLiteral("shell-sections-compact"), QStringLiteral("signed in, dock (420×860)"),
         kCompact, nullptr, stageSections},
        {QStringLiteral("shell-sections-sheet"), QStringLiteral("the sections sheet, \"пр\" typed"),
         kWide, nullptr, stageSheet},
        {QStringLiteral("shell-shortcuts"), QStringLiteral("the shortcuts sheet (Ctrl+/), every key"),
         kWide, nullptr, [](SceneContext &context) { return stageShortcuts(context, QString()); }},
        {QStringLiteral("shell-shortcuts-search"),
         QStringLiteral("the shortcuts sheet, \"пробел\" searched (420×860)"), kCompact, nullptr,
         [](SceneContext &context) { return stageShortcuts(context, QStringLiteral("пробел")); }},
        {QStringLiteral("shell-notice"), QStringLiteral("a refused code in the notice alert"),
         kWide, nullptr, stageNotice},
    };
}

} // namespace vexa::screenshots
