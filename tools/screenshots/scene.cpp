#include "scene.h"

#include "localservice.h"
#include "vexaaiapp.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QCoro/QCoroTimer>

namespace vexa::screenshots {

namespace {
QString fixedCode()
{
    return QStringLiteral("246810");
}
} // namespace

SceneContext::SceneContext(service::LocalService &service, VexaAIApp &app)
    : m_service(service),
      m_app(app)
{
}

VexaClient &SceneContext::client()
{
    return m_app.client();
}

QQuickWindow *SceneContext::window() const
{
    return m_app.window();
}

QObject *SceneContext::find(const QString &objectName) const
{
    QQuickWindow *window = m_app.window();
    if (!window)
        return nullptr;
    if (QObject *found = window->findChild<QObject *>(objectName))
        return found;
    return window->contentItem()->findChild<QObject *>(objectName);
}

QObject *SceneContext::findByClass(const char *className) const
{
    QQuickWindow *window = m_app.window();
    if (!window)
        return nullptr;
    const QList<QObject *> all = window->findChildren<QObject *>()
                                 + window->contentItem()->findChildren<QObject *>();
    for (QObject *object : all) {
        if (object->inherits(className))
            return object;
    }
    return nullptr;
}

QCoro::Task<bool> SceneContext::waitUntil(std::function<bool()> ready, QString what,
                                          std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            fail(QString::fromLatin1("timed out waiting for ") + what);
            co_return false;
        }
        co_await QCoro::sleepFor(std::chrono::milliseconds(20));
    }
    co_return true;
}

QCoro::Task<> SceneContext::settle(std::chrono::milliseconds time)
{
    co_await QCoro::sleepFor(time);
}

QCoro::Task<bool> waitForSignInScreen(SceneContext &context)
{
    co_return co_await context.waitUntil(
        [&context] {
            auto *login = qobject_cast<QQuickItem *>(context.find(QString::fromLatin1("loginView")));
            return login && login->isVisible();
        },
        QString::fromLatin1("the sign-in screen"));
}

QCoro::Task<bool> signInAndShowSections(SceneContext &context)
{
    if (!co_await waitForSignInScreen(context))
        co_return false;
    context.service().setFixedCode(fixedCode());
    co_await context.client().signIn(fixedCode());
    co_return co_await context.waitUntil(
        [&context] { return context.find(QString::fromLatin1("sectionsLayout")) != nullptr; },
        QString::fromLatin1("the signed-in layout"));
}

} // namespace vexa::screenshots
