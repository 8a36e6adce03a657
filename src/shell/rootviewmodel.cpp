#include "rootviewmodel.h"

#include "composerequests.h"
#include "vexaclient.h"

namespace vexa {

namespace {
std::optional<VexaSection> sectionFromInt(int value)
{
    for (const VexaSection section : allSections()) {
        if (int(section) == value)
            return section;
    }
    return std::nullopt;
}
} // namespace

SectionRequests &SectionRequests::instance()
{
    static SectionRequests requests;
    return requests;
}

RootViewModel::RootViewModel(QObject *parent)
    : QObject(parent),
      m_sidebar(::vexa::sidebarSections()),
      m_dock(::vexa::dockSections()),
      m_found(allSections())
{
    watch(VexaClient::shared());
    // A new chat asked for from outside is opened on the chat screen, whatever is shown.
    auto showChat = [this] {
        closeSections();
        select(int(VexaSection::Chat));
    };
    connect(&chat::ComposeRequests::instance(), &chat::ComposeRequests::newChatRequested, this, showChat);
    connect(&SectionRequests::instance(), &SectionRequests::requested, this, [this](int section) {
        closeSections();
        select(section);
    });
    if (chat::ComposeRequests::instance().hasNewChat())
        showChat();
}

void RootViewModel::setClient(VexaClient *client)
{
    if (client == m_client)
        return;
    if (m_client)
        disconnect(m_client, nullptr, this, nullptr);
    watch(client);
    Q_EMIT clientChanged();
    Q_EMIT accountChanged();
    Q_EMIT noticeChanged();
}

void RootViewModel::watch(VexaClient *client)
{
    m_client = client;
    if (client) {
        connect(client, &VexaClient::loadingChanged, this, &RootViewModel::updateScreen);
        connect(client, &VexaClient::stateChanged, this, &RootViewModel::updateScreen);
        connect(client, &VexaClient::stateChanged, this, &RootViewModel::accountChanged);
        connect(client, &VexaClient::noticeChanged, this, &RootViewModel::noticeChanged);
        connect(client, &QObject::destroyed, this, [this] {
            updateScreen();
            Q_EMIT accountChanged();
            Q_EMIT noticeChanged();
        });
    }
    updateScreen();
}

RootViewModel::Screen RootViewModel::screen() const
{
    return m_screen;
}

void RootViewModel::updateScreen()
{
    const bool signedIn = m_client && m_client->isSignedIn();
    const bool loading = m_client && m_client->loading();
    // A running sign-in shows the waiting screen too, and the sign-in screen's state goes with it.
    const Screen screen = loading && !signedIn ? Screen::Waiting
                          : !signedIn          ? Screen::SignIn
                                               : Screen::Sections;
    if (screen == m_screen)
        return;
    m_screen = screen;
    if (screen != Screen::Sections)
        setShowingSections(false);
    Q_EMIT screenChanged();
}

void RootViewModel::setWidth(qreal width)
{
    if (qFuzzyCompare(width + 1, m_width + 1))
        return;
    const bool wasRegular = regular();
    m_width = width;
    Q_EMIT widthChanged();
    if (wasRegular != regular())
        Q_EMIT regularChanged();
}

void RootViewModel::setQuickSearch(const QString &text)
{
    if (text == m_quickSearch)
        return;
    m_quickSearch = text;
    m_found.setSections(filterSections(m_quickSearch));
    Q_EMIT quickSearchChanged();
}

QString RootViewModel::planTitle() const
{
    if (m_client && m_client->state() && m_client->state()->plan
        && m_client->state()->plan->title)
        return *m_client->state()->plan->title;
    return QStringLiteral("Мой аккаунт");
}

QString RootViewModel::accountName() const
{
    if (m_client && m_client->state() && m_client->state()->user
        && m_client->state()->user->firstName)
        return *m_client->state()->user->firstName;
    return QStringLiteral("Мой Vexa");
}

bool RootViewModel::hasNotice() const
{
    return m_client && m_client->hasNotice();
}

QString RootViewModel::notice() const
{
    return m_client ? m_client->noticeText() : QString();
}

void RootViewModel::select(int section)
{
    const auto chosen = sectionFromInt(section);
    if (!chosen || *chosen == m_selection)
        return;
    m_selection = *chosen;
    Q_EMIT selectionChanged();
}

void RootViewModel::openSections()
{
    if (m_screen != Screen::Sections)
        return;
    setQuickSearch(QString());
    setShowingSections(true);
}

void RootViewModel::closeSections()
{
    setShowingSections(false);
}

void RootViewModel::chooseSection(int section)
{
    select(section);
    setShowingSections(false);
}

void RootViewModel::dismissNotice()
{
    if (m_client)
        m_client->clearNotice();
}

void RootViewModel::setShowingSections(bool showing)
{
    if (showing == m_showingSections)
        return;
    m_showingSections = showing;
    Q_EMIT showingSectionsChanged();
}

} // namespace vexa
