#include "vexaaiapp.h"

#include "symbols.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTranslator>

namespace vexa {

namespace {

void installQtTranslations()
{
    // "qt_ru" pulls in qtbase_ru, qtdeclarative_ru and the rest; fall back to qtbase alone.
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qt_ru"), directory)
        || translator->load(QStringLiteral("qtbase_ru"), directory)) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

} // namespace

VexaAIApp::VexaAIApp(QObject *parent)
    : QObject(parent),
      m_client(std::make_unique<VexaClient>())
{
    VexaClient::setShared(m_client.get());
}

VexaAIApp::VexaAIApp(const QString &baseURL, const QString &cookieFilePath, QObject *parent)
    : QObject(parent),
      m_client(std::make_unique<VexaClient>(baseURL, cookieFilePath))
{
    VexaClient::setShared(m_client.get());
}

VexaAIApp::~VexaAIApp()
{
    // The window and its screens go before the client they observe.
    m_engine.reset();
    if (VexaClient::shared() == m_client.get())
        VexaClient::setShared(nullptr);
}

void VexaAIApp::prepareApplication()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    QCoreApplication::setOrganizationName(QStringLiteral("VexaAI"));
    QCoreApplication::setApplicationName(QStringLiteral("VexaAI"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Vexa AI"));
    installQtTranslations();
    Symbols::loadFont();
}

void VexaAIApp::configureEngine(QQmlEngine &engine)
{
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
}

bool VexaAIApp::start()
{
    prepareApplication();
    m_engine = std::make_unique<QQmlApplicationEngine>();
    configureEngine(*m_engine);
    m_pictures = PictureNetworkFactory::forClient(*m_client);
    m_engine->setNetworkAccessManagerFactory(m_pictures.get());
    m_engine->load(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Shell/Main.qml")));
    const QList<QObject *> roots = m_engine->rootObjects();
    m_window = roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(roots.constFirst());
    if (!m_window)
        return false;
    if (m_window->isVisible())
        restoreWhenShown();
    else
        connect(m_window, &QWindow::visibleChanged, this, [this](bool visible) {
            if (visible)
                restoreWhenShown();
        });
    return true;
}

void VexaAIApp::restoreWhenShown()
{
    if (m_restoreStarted)
        return;
    m_restoreStarted = true;
    m_client->startRestoreSession();
}

} // namespace vexa
