#pragma once

#include "picturenetwork.h"
#include "vexaclient.h"

#include <QObject>
#include <QPointer>
#include <QQuickWindow>

#include <memory>

class QQmlApplicationEngine;
class QQmlEngine;


namespace vexa {

// The application entry: the one VexaClient of the run and the one window, whose root is
// RootView. As soon as the window is shown it starts the session restore; nothing else runs at
// launch.
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

    // Loads the window; false when QML failed to load (the errors went to the log).
    bool start();

    VexaClient &client() { return *m_client; }
    QQmlApplicationEngine &engine() { return *m_engine; }
    QQuickWindow *window() const { return m_window; }

private:
    void restoreWhenShown();

    std::unique_ptr<VexaClient> m_client;
    // QML's picture loads go through the client's session; the engine does not own it.
    std::unique_ptr<PictureNetworkFactory> m_pictures;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QPointer<QQuickWindow> m_window;
    bool m_restoreStarted = false;
};

} // namespace vexa
