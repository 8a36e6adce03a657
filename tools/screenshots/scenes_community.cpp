// The community section: the forum and the groups, an open topic with its reply field, and a
// joined group with its posts and composer, each at both widths.

#include "scene.h"

#include "communitydetailviewmodel.h"
#include "communityviewmodel.h"
#include "rootviewmodel.h"
#include "topicdetailviewmodel.h"
#include "vexasection.h"

#include <QQuickItem>

namespace vexa::screenshots {

namespace {

const QSize kWide(1280, 800);
const QSize kCompact(420, 860);

enum class Page { Lists, Topic, Group };

// Each awaited result goes into a local before it is tested (see scenes_code.cpp).
QCoro::Task<bool> stageCommunity(SceneContext &context, Page page)
{
    const bool signedIn = co_await signInAndShowSections(context);
    if (!signedIn)
        co_return false;
    auto *root = qobject_cast<RootViewModel *>(context.findByClass("vexa::RootViewModel"));
    if (!root) {
        context.fail(QString::fromLatin1("no root view model"));
        co_return false;
    }
    root->select(int(VexaSection::Community));
    co_await context.settle();
    auto *list = qobject_cast<CommunityViewModel *>(
        context.findByClass("vexa::CommunityViewModel"));
    if (!list) {
        context.fail(QString::fromLatin1("the community section does not show its lists"));
        co_return false;
    }
    const bool loaded = co_await context.waitUntil(
        [list] { return !list->topicList().isEmpty() && !list->communityList().isEmpty(); },
        QString::fromLatin1("the forum and the groups"));
    if (!loaded)
        co_return false;
    // The view-model's QML parent is the section's view, which opens pages.
    QObject *view = list->parent();
    if (page == Page::Topic) {
        QMetaObject::invokeMethod(view, "openTopic", Q_ARG(QVariant, QVariant(0)));
        const bool shown = co_await context.waitUntil(
            [&context] {
                auto *topic = qobject_cast<TopicDetailViewModel *>(
                    context.findByClass("vexa::TopicDetailViewModel"));
                return topic && topic->postList().size() >= 3;
            },
            QString::fromLatin1("the topic's posts"));
        if (!shown)
            co_return false;
        auto *topic = qobject_cast<TopicDetailViewModel *>(
            context.findByClass("vexa::TopicDetailViewModel"));
        topic->setReply(QString::fromUtf8("Спасибо, нашёл в «Рабочем пространстве»!"));
    } else if (page == Page::Group) {
        QMetaObject::invokeMethod(view, "openCommunity", Q_ARG(QVariant, QVariant(0)));
        const bool shown = co_await context.waitUntil(
            [&context] {
                auto *group = qobject_cast<CommunityDetailViewModel *>(
                    context.findByClass("vexa::CommunityDetailViewModel"));
                return group && group->isMember() && !group->postList().isEmpty();
            },
            QString::fromLatin1("the group's posts"));
        if (!shown)
            co_return false;
    }
    co_await context.settle(std::chrono::milliseconds(700));
    co_return true;
}

Scene scene(const char *name, const char *description, QSize size, Page page)
{
    return {QString::fromLatin1(name), QString::fromUtf8(description), size, nullptr,
            [page](SceneContext &context) { return stageCommunity(context, page); }};
}

} // namespace

QList<Scene> communityScenes()
{
    return {
        scene("community-lists-wide", "the forum and the groups, sidebar", kWide, Page::Lists),
        scene("community-lists-compact", "the forum and the groups (420×860)", kCompact,
              Page::Lists),
        scene("community-topic-wide", "a topic with replies and a reply being written", kWide,
              Page::Topic),
        scene("community-topic-compact", "a topic (420×860)", kCompact, Page::Topic),
        scene("community-group-wide", "a joined group with posts and the composer", kWide,
              Page::Group),
        scene("community-group-compact", "a joined group (420×860)", kCompact, Page::Group),
    };
}

} // namespace vexa::screenshots
