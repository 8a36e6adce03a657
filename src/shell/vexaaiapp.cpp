#include "vexaaiapp.h"

#include "aboutinfo.h"
#include "answernotifier.h"
#include "desktopnotifications.h"
#include "rootviewmodel.h"
#include "qtrussian.h"
#include "symbols.h"
#include "windowmemory.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLoggingCategory>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTimer>

namespace vexa {

Q_LOGGING_CATEGORY(lcAppCategory, "vexa.app", QtWarningMsg)

const QLoggingCategory &lcApp()
{
    return lcAppCategory();
}

namespace {

// The window icon, drawn from the app's scalable icon at the sizes window managers ask for.
QIcon applicationIcon()
{
    QSvgRenderer renderer(QStringLiteral(":/vexa-ai/icon.svg"));
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (int size : {32, 64, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
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
    // The window and its screens go before the client they observe. The client ends its
    // requests as it goes (a session restore still running reports back): by then nothing here
    // may answer, the window being gone.
    disconnect(m_client.get(), nullptr, this, nullptr);
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
    QCoreApplication::setApplicationVersion(AboutInfo::version());
    // The desktop entry's id: Wayland compositors match the window to it (app_id); on X11 the
    // window class is the application name, "VexaAI", as the entry's StartupWMClass says.
    QGuiApplication::setDesktopFileName(QStringLiteral("ai.vexa.VexaAI"));
    installRussianQtTexts();
    qCDebug(lcApp, "Qt's own texts in Russian");
    Symbols::loadFont();
    qCDebug(lcApp, "the symbol font loaded");
}

void VexaAIApp::configureEngine(QQmlEngine &engine)
{
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
}

bool VexaAIApp::start()
{
    prepareApplication();
    qCDebug(lcApp, "starting");
    m_engine = std::make_unique<QQmlApplicationEngine>();
    configureEngine(*m_engine);
    qCDebug(lcApp, "engine made");
    if (m_remembersWindow)
        placeWindow();
    m_pictures = PictureNetworkFactory::forClient(*m_client);
    m_engine->setNetworkAccessManagerFactory(m_pictures.get());
    qCDebug(lcApp, "window placed");
    // Connected before the screens are: logged before they rebuild for the new state.
    connect(m_client.get(), &VexaClient::stateChanged, this, [] { qCDebug(lcApp, "state changed"); });
    // The session's round trip runs while the window's QML loads. Its reply is taken by the
    // event loop, after the load, so the screens see it as they would any later reply.
    restoreSession();
    qCDebug(lcApp, "session restore asked for");
    // The window is shown once that answer is in, with the screen it calls for already built: a
    // returning user's window opens on the sections instead of drawing the waiting screen for a
    // frame first. A slow answer (a locked keyring, a distant service) shows the waiting screen
    // after kRevealDeadline.
    QVariantMap initial = m_initialProperties;
    initial.insert(QStringLiteral("visible"), false);
    m_engine->setInitialProperties(initial);
    qCDebug(lcApp, "loading Main.qml");
    m_engine->load(QUrl(QStringLiteral("qrc:/qt/qml/VexaAI/Shell/Main.qml")));
    qCDebug(lcApp, "Main.qml loaded");
    const QList<QObject *> roots = m_engine->rootObjects();
    m_window = roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(roots.constFirst());
    if (!m_window)
        return false;
    if (m_windowMemory)
        m_windowMemory->track(m_window);
    startAnswerNotices();

    auto firstFrame = std::make_shared<QMetaObject::Connection>();
    *firstFrame = connect(m_window, &QQuickWindow::frameSwapped, this, [this, firstFrame] {
        disconnect(*firstFrame);
        qCInfo(lcApp, "first frame");
        // Drawn from its SVG at three sizes (milliseconds): after the window is on screen, not
        // before. The desktop entry names the same icon for launchers meanwhile.
        if (QGuiApplication::windowIcon().isNull())
            QGuiApplication::setWindowIcon(applicationIcon());
        Q_EMIT this->firstFrame();
    });
    // Start-up ends with the first frame drawn after the signed-in sections were built and the
    // session's restore has brought the chats in.
    auto whenSignedIn = [this] {
        if (!m_client->isSignedIn() || m_client->loading() || m_signedInFrameSeen)
            return;
        m_signedInFrameSeen = true;
        qCDebug(lcApp, "signed in: the sections are built");
        auto signedInFrame = std::make_shared<QMetaObject::Connection>();
        *signedInFrame = connect(m_window, &QQuickWindow::frameSwapped, this, [signedInFrame] {
            disconnect(*signedInFrame);
            qCInfo(lcApp, "signed-in frame");
        });
        m_window->update();
    };
    connect(m_client.get(), &VexaClient::stateChanged, this, whenSignedIn);
    connect(m_client.get(), &VexaClient::loadingChanged, this, whenSignedIn);
    whenSignedIn();

    connect(m_client.get(), &VexaClient::loadingChanged, this, [this] {
        if (!m_client->loading())
            revealWindow();
    });
    QTimer::singleShot(kRevealDeadline, this, &VexaAIApp::revealWindow);
    if (!m_client->loading())
        revealWindow();
    return true;
}

void VexaAIApp::revealWindow()
{
    if (!m_window || m_revealed)
        return;
    m_revealed = true;
    if (m_revealMaximized)
        m_window->showMaximized();
    else
        m_window->show();
}

void VexaAIApp::placeWindow()
{
    // The window comes up where it was, before it is first shown, so it does not jump.
    m_windowMemory = std::make_unique<WindowMemory>();
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    // Main.qml's minimum size.
    const QSize minimum(340, 480);
    QVariantMap initial;
    if (const auto geometry = m_windowMemory->restoredGeometry(screens, minimum)) {
        initial.insert(QStringLiteral("x"), geometry->x());
        initial.insert(QStringLiteral("y"), geometry->y());
        initial.insert(QStringLiteral("width"), geometry->width());
        initial.insert(QStringLiteral("height"), geometry->height());
    }
    m_revealMaximized = m_windowMemory->restoredMaximized();
    m_initialProperties = initial;
}

void VexaAIApp::bringToFront()
{
    if (!m_window)
        return;
    revealWindow();
    if (m_window->windowStates().testFlag(Qt::WindowMinimized))
        m_window->setWindowStates(m_window->windowStates() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
    qCInfo(lcApp, "brought to the front by another launch");
}

void VexaAIApp::startAnswerNotices()
{
    if (!m_notifications)
        m_notifications = new FreedesktopNotifications(std::nullopt, this);
    m_answerNotifier = std::make_unique<AnswerNotifier>(
        m_client.get(), m_notifications, std::make_unique<NotificationPreferences>());
    m_answerNotifier->setWindow(m_window);
    connect(m_answerNotifier.get(), &AnswerNotifier::openRequested, this, &VexaAIApp::openAnswer);
}

void VexaAIApp::openAnswer(const AnswerEvent &event)
{
    bringToFront();
    switch (event.kind) {
    case AnswerEvent::Kind::Chat:
        SectionRequests::instance().request(VexaSection::Chat);
        if (!event.chatID.isEmpty())
            selectWhenFree(event.chatID);
        break;
    case AnswerEvent::Kind::Code:
        SectionRequests::instance().request(VexaSection::Code);
        break;
    case AnswerEvent::Kind::Image:
        SectionRequests::instance().request(VexaSection::Images);
        break;
    }
}

// The client takes no other chat while a send or a chats request is under way (it would drop
// the selection): the chosen chat is selected once both are done.
void VexaAIApp::selectWhenFree(const QString &chatID)
{
    if (m_client->activeChatID() == chatID)
        return;
    if (!m_client->sending() && !m_client->chatsLoading()) {
        m_client->startSelectChat(chatID);
        return;
    }
    struct Waiting {
        QMetaObject::Connection loading, sending;
    };
    auto waiting = std::make_shared<Waiting>();
    auto retry = [this, chatID, waiting] {
        if (m_client->sending() || m_client->chatsLoading())
            return;
        disconnect(waiting->loading);
        disconnect(waiting->sending);
        selectWhenFree(chatID);
    };
    waiting->loading = connect(m_client.get(), &VexaClient::chatsLoadingChanged, this, retry);
    waiting->sending = connect(m_client.get(), &VexaClient::sendingChanged, this, retry);
}

void VexaAIApp::restoreSession()
{
    if (m_restoreStarted)
        return;
    m_restoreStarted = true;
    m_client->startRestoreSession();
}

} // namespace vexa
