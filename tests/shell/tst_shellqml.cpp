// Qt Quick Test over the shell's QML: every component instantiates without a warning.

#include "awaittask.h"
#include "vexaaiapp.h"
#include "vexaclient.h"

#include <QDir>
#include <QQmlContext>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtQuickTest>

#include <memory>

class ShellQmlSetup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        QStandardPaths::setTestModeEnabled(true);
        vexa::VexaAIApp::prepareApplication();
        // An origin nothing listens on: no component may talk to the service by itself.
        m_client = std::make_unique<vexa::VexaClient>(QStringLiteral("http://127.0.0.1:9"),
                                                      m_dir.filePath(QStringLiteral("cookies")));
        vexa::VexaClient::setShared(m_client.get());
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        vexa::VexaAIApp::configureEngine(*engine);
        // The tests' waits stretch with VEXA_TIMEOUT_SCALE, as the C++ tests' do.
        engine->rootContext()->setContextProperty(QStringLiteral("timeoutScale"),
                                                  vexa::test::scaledMs(1));
    }

    void cleanupTestCase() { vexa::VexaClient::setShared(nullptr); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<vexa::VexaClient> m_client;
};

QUICK_TEST_MAIN_WITH_SETUP(shell_qml, ShellQmlSetup)

#include "tst_shellqml.moc"
