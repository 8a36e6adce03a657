// The account screens: the profile (account, limits, bonus, settings) and the plans page with
// its offers and a promo code being typed, each at both widths.

#include "scene.h"

#include "plansviewmodel.h"
#include "rootviewmodel.h"
#include "vexaclient.h"
#include "vexasection.h"

namespace vexa::screenshots {

namespace {

using namespace std::chrono_literals;

const QSize kWide(1280, 800);
const QSize kCompact(420, 860);

// Predicates are made outside the coroutines: GCC 12 corrupts lambdas in a coroutine that
// capture its parameters.
std::function<bool()> pageShown(SceneContext &context, const QString &page)
{
    return [&context, page] { return context.find(page) != nullptr; };
}

std::function<bool()> offersListed(PlansViewModel *plans)
{
    return [plans] { return !plans->loading() && plans->offers().size() == 3; };
}

QCoro::Task<bool> openSection(SceneContext &context, VexaSection section, QString page)
{
    if (!co_await signInAndShowSections(context))
        co_return false;
    auto *root = qobject_cast<RootViewModel *>(context.findByClass("vexa::RootViewModel"));
    if (!root) {
        context.fail(QString::fromLatin1("no root view model"));
        co_return false;
    }
    root->select(int(section));
    const bool shown = co_await context.waitUntil(pageShown(context, page), page);
    co_return shown;
}

QCoro::Task<bool> stageProfile(SceneContext &context)
{
    const QString page = QString::fromLatin1("profileView");
    const bool opened = co_await openSection(context, VexaSection::Profile, page);
    if (!opened)
        co_return false;
    co_await context.settle(600ms);
    co_return true;
}

QCoro::Task<bool> stagePlans(SceneContext &context)
{
    const QString page = QString::fromLatin1("plansView");
    const bool opened = co_await openSection(context, VexaSection::Plans, page);
    if (!opened)
        co_return false;
    auto *plans = qobject_cast<PlansViewModel *>(context.findByClass("vexa::PlansViewModel"));
    if (!plans) {
        context.fail(QString::fromLatin1("no plans view model"));
        co_return false;
    }
    const bool listed =
        co_await context.waitUntil(offersListed(plans), QString::fromLatin1("the tariff offers"));
    plans->setPromoCode(QString::fromLatin1("vexa2026"));
    co_await context.settle(600ms);
    co_return listed;
}

} // namespace

QList<Scene> accountScenes()
{
    return {
        {QStringLiteral("profile-wide"), QStringLiteral("the profile (1280×800)"), kWide, nullptr,
         stageProfile},
        {QStringLiteral("profile-compact"), QStringLiteral("the profile (420×860)"), kCompact,
         nullptr, stageProfile},
        {QStringLiteral("plans-wide"), QStringLiteral("the plans with a promo code (1280×800)"),
         kWide, nullptr, stagePlans},
        {QStringLiteral("plans-compact"), QStringLiteral("the plans with a promo code (420×860)"),
         kCompact, nullptr, stagePlans},
    };
}

} // namespace vexa::screenshots
