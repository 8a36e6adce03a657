// Spelling: the composer with misspelled words in Russian and English underlined (a code span
// left alone), and the menu of one of them with its corrections.

#include "scene.h"

#include "chatviewmodel.h"
#include "spellcheck.h"

#include <QQuickItem>

namespace vexa::screenshots {

namespace {

using namespace std::chrono_literals;

const QSize kWide(1280, 800);

QString draft()
{
    return QStringLiteral("Превет! Посмотри, пожалуста, почему `fooBar()` не рабатает, and recieve the answer");
}

// The composer's spelling, once the chat screen is up.
QCoro::Task<QQuickItem *> composerSpelling(SceneContext &context)
{
    if (!co_await signInAndShowSections(context))
        co_return nullptr;
    const bool shown = co_await context.waitUntil(
        [&context] { return context.find(QString::fromUtf8("composerField")) != nullptr; },
        QString::fromUtf8("the composer"));
    if (!shown)
        co_return nullptr;
    auto *chat = qobject_cast<ChatViewModel *>(context.findByClass("vexa::ChatViewModel"));
    auto *field = qobject_cast<QQuickItem *>(context.find(QString::fromUtf8("composerField")));
    if (!chat || !field)
        co_return nullptr;
    chat->composer()->setDraft(draft());
    auto *support = field->findChild<QQuickItem *>(QString::fromUtf8("spellingSupport"));
    auto *check = field->findChild<spell::SpellCheck *>();
    if (!support || !check)
        co_return nullptr;
    const int wordAt = int(draft().indexOf(QString::fromUtf8("пожалуста"))) + 2;
    const bool underlined = co_await context.waitUntil(
        [check, wordAt] { return !check->misspelledAt(wordAt).isEmpty(); },
        QString::fromUtf8("the underlines"));
    co_return underlined ? support : nullptr;
}

QCoro::Task<bool> stageUnderlines(SceneContext &context)
{
    QQuickItem *support = co_await composerSpelling(context);
    co_await context.settle();
    co_return support != nullptr;
}

QCoro::Task<bool> stageMenu(SceneContext &context)
{
    QQuickItem *support = co_await composerSpelling(context);
    if (!support)
        co_return false;
    const int wordAt = int(draft().indexOf(QString::fromUtf8("пожалуста"))) + 2;
    QQuickItem *area = support->parentItem();
    QRectF rect;
    QMetaObject::invokeMethod(area, "positionToRectangle", Q_RETURN_ARG(QRectF, rect), Q_ARG(int, wordAt));
    QVariant opened;
    QMetaObject::invokeMethod(support, "openAt", Q_RETURN_ARG(QVariant, opened), Q_ARG(QVariant, wordAt),
                              Q_ARG(QVariant, rect.x()), Q_ARG(QVariant, rect.bottom()));
    auto *menu = support->findChild<QObject *>(QString::fromUtf8("spellingMenu"));
    const bool ready = co_await context.waitUntil(
        [menu] { return menu && menu->property("opened").toBool() && !menu->property("searching").toBool(); },
        QString::fromUtf8("the spelling menu with its corrections"));
    co_await context.settle();
    co_return opened.toBool() && ready;
}

} // namespace

QList<Scene> spellingScenes()
{
    return {
        {QStringLiteral("spelling-underlines"),
         QStringLiteral("the composer: misspelled Russian and English words underlined, a code span left alone"),
         kWide, nullptr, stageUnderlines},
        {QStringLiteral("spelling-menu"),
         QStringLiteral("the menu of an underlined word: corrections, \"Добавить в словарь\", \"Пропустить\""),
         kWide, nullptr, stageMenu},
    };
}

} // namespace vexa::screenshots
