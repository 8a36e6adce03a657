#pragma once

// One screenshot scene: a named window size, how to prepare the local service before the app
// starts, and a coroutine that drives the running app into the state worth capturing.

#include <QCoro/QCoroTask>
#include <QList>
#include <QSize>
#include <QString>

#include <chrono>
#include <functional>

class QObject;
class QQuickWindow;

namespace vexa {
class VexaAIApp;
class VexaClient;
namespace service {
class LocalService;
}
} // namespace vexa

namespace vexa::screenshots {

// What a scene's stage works with. The app is the real one (VexaAIApp with its client),
// pointed at the in-process service.
class SceneContext
{
public:
    SceneContext(service::LocalService &service, VexaAIApp &app);

    service::LocalService &service() { return m_service; }
    VexaAIApp &app() { return m_app; }
    VexaClient &client();
    QQuickWindow *window() const;

    // The first object in the window with this objectName (items, popups and their content),
    // or null.
    QObject *find(const QString &objectName) const;
    // The first object in the window of this QObject type, e.g. "vexa::RootViewModel".
    QObject *findByClass(const char *className) const;

    // Polls until `ready` holds; false when `timeout` passed first. The reason is kept for
    // the tool's report.
    QCoro::Task<bool> waitUntil(std::function<bool()> ready, QString what,
                                std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Lets animations and transitions settle.
    QCoro::Task<> settle(std::chrono::milliseconds time = std::chrono::milliseconds(400));

    QString failure() const { return m_failure; }
    void fail(const QString &why) { m_failure = why; }

private:
    service::LocalService &m_service;
    VexaAIApp &m_app;
    QString m_failure;
};

struct Scene {
    QString name; // file name without ".png"
    QString description;
    QSize size;
    // Runs before the app starts (and so before its session restore): script the service.
    std::function<void(service::LocalService &)> prepare;
    // Drives the app; true when the window shows what the scene is about.
    std::function<QCoro::Task<bool>(SceneContext &)> stage;
};

// Shared steps for stages.
QCoro::Task<bool> waitForSignInScreen(SceneContext &context);
// Signs in through the client with the service's fixed code and waits for the sections.
QCoro::Task<bool> signInAndShowSections(SceneContext &context);

// Every area's scenes, in the order they are rendered (scenes.cpp).
QList<Scene> allScenes();

// Per area; each lives in its own scenes_<area>.cpp.
QList<Scene> shellScenes();
QList<Scene> codeScenes();
QList<Scene> chatScenes();
QList<Scene> spellingScenes();
QList<Scene> answerScenes();
QList<Scene> communityScenes();
QList<Scene> voiceScenes();
QList<Scene> contentScenes();
QList<Scene> accountImagesScenes();
QList<Scene> accountScenes();

} // namespace vexa::screenshots
