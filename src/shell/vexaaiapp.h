#pragma once

#include "desktopnotifications.h"
#include "picturenetwork.h"
#include "vexaclient.h"

#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <QQuickWindow>

#include <memory>

class QQmlApplicationEngine;
class QQmlEngine;
class QLoggingCategory;


namespace vexa {

class WindowMemory;
class AnswerNotifier;

// "vexa.app": start-up milestones (first frame, hand-over to a running instance).
const QLoggingCategory &lcApp();

// The application entry: the one VexaClient of the run and the one window, whose root is
// RootView. The session restore starts as the window starts loading, so its round trip overlaps
// the load; nothing else runs at launch.
class VexaAIApp : public QObject
{
    Q_OBJECT

public:
    // The application's client (configured origin, cookie file in the data directory).
    explicit VexaAIApp(QObject *parent = nullptr);
    // An explicit origin and cookie file (tests, the screenshot tool).
    VexaAIApp(const QString &baseURL, const QString &cookieFilePath, QObject *parent = nullptr);
    ~VexaAIApp() override;

    // Process-wide set-up, once, after the QGuiApplication exists and before any window:
    // application names (the defaults store), the Russian translations of Qt's own texts
    // (network errors reach the user through notices), the symbol font. The controls style
    // comes from qtquickcontrols2.conf in the shell's resources.
    static void prepareApplication();
    // Import path of the app's QML modules; every engine that loads app QML needs it.
    static void configureEngine(QQmlEngine &engine);

    // The desktop app keeps its window's place and size across launches; tests and tools,
    // which size their windows themselves, do not. Call before start().
    void setRemembersWindow(bool remember) { m_remembersWindow = remember; }

    // Loads the window; false when QML failed to load (the errors went to the log).
    bool start();
    // Another launch asked for the window: show it, un-minimise it and ask for the focus.
    void bringToFront();

    VexaClient &client() { return *m_client; }
    QQmlApplicationEngine &engine() { return *m_engine; }
    QQuickWindow *window() const { return m_window; }
    // Answers that arrive while the window is in the background are announced on the desktop
    // through `notifications` (the session bus's service unless a test hands in another).
    // Call before start().
    void setNotifications(DesktopNotifications *notifications) { m_notifications = notifications; }
    AnswerNotifier *answerNotifier() const { return m_answerNotifier.get(); }

Q_SIGNALS:
    // The window's first frame is on screen.
    void firstFrame();

private:
    void restoreSession();
    void placeWindow();
    void revealWindow();
    void startAnswerNotices();
    void openAnswer(const AnswerEvent &event);
    void selectWhenFree(const QString &chatID);

    // Longest the window stays hidden waiting for the session's answer.
    static constexpr int kRevealDeadline = 400;

    std::unique_ptr<VexaClient> m_client;
    // QML's picture loads go through the client's session; the engine does not own it.
    std::unique_ptr<PictureNetworkFactory> m_pictures;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QPointer<QQuickWindow> m_window;
    std::unique_ptr<WindowMemory> m_windowMemory;
    QPointer<DesktopNotifications> m_notifications;
    std::unique_ptr<AnswerNotifier> m_answerNotifier;
    bool m_remembersWindow = false;
    bool m_restoreStarted = false;
    bool m_signedInFrameSeen = false;
    bool m_revealed = false;
    bool m_revealMaximized = false;
    QVariantMap m_initialProperties; // the remembered place and size
};

} // namespace vexa
