#include "loginviewmodel.h"

#include "platformtexts.h"

#include <QDesktopServices>

namespace vexa {

namespace {
// Spaces in the Unicode sense (including the no-break ones) and tabs; not line breaks.
bool isBlank(QChar ch)
{
    return ch == u'\t' || ch.category() == QChar::Separator_Space;
}
} // namespace

LoginViewModel::LoginViewModel(QObject *parent)
    : QObject(parent)
{
    watch(VexaClient::shared());
}

void LoginViewModel::setClient(VexaClient *client)
{
    if (client == m_client)
        return;
    if (m_client)
        disconnect(m_client, nullptr, this, nullptr);
    watch(client);
    Q_EMIT clientChanged();
    Q_EMIT loadingChanged();
    Q_EMIT canSignInChanged();
}

void LoginViewModel::watch(VexaClient *client)
{
    m_client = client;
    if (!client)
        return;
    connect(client, &VexaClient::loadingChanged, this, [this] {
        Q_EMIT loadingChanged();
        Q_EMIT canSignInChanged();
    });
}

void LoginViewModel::setCode(const QString &code)
{
    if (code == m_code)
        return;
    const bool could = canSignIn();
    m_code = code;
    Q_EMIT codeChanged();
    if (could != canSignIn())
        Q_EMIT canSignInChanged();
}

bool LoginViewModel::hasCodeText(QStringView code)
{
    return std::any_of(code.begin(), code.end(), [](QChar ch) { return !isBlank(ch); });
}

bool LoginViewModel::canSignIn() const
{
    return m_client && !m_client->loading() && hasCodeText(m_code);
}

QString LoginViewModel::subtitle() const
{
    return PlatformTexts::signInSubtitle();
}

void LoginViewModel::openBot()
{
    QDesktopServices::openUrl(VexaClient::telegramURL());
}

void LoginViewModel::signIn()
{
    // The button is disabled in these cases; Enter in the field arrives here regardless.
    if (!canSignIn())
        return;
    m_client->startSignIn(m_code);
}

} // namespace vexa
