#include "picturenetwork.h"

#include "cookiestore.h"
#include "vexaclient.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace vexa {

namespace {

// Picks the matching cookies (domain, path, secure, expiry) with Qt's own rules.
class CookieMatcher : public QNetworkCookieJar
{
public:
    using QNetworkCookieJar::setAllCookies;
};

// Qt builds a redirected request from the first one, Cookie header included, and replaces the
// cookie only when the jar has one for the new address: a load that went out with the session
// would carry it to wherever the server redirects. So a load to the service's origin follows
// redirects only within that origin; any other picture follows them as usual (it has no
// session to lose, and the jar gives it none on the way unless a hop is the service itself).
class PictureManager : public QNetworkAccessManager
{
public:
    PictureManager(QUrl origin, QObject *parent) : QNetworkAccessManager(parent), m_origin(std::move(origin)) {}

protected:
    QNetworkReply *createRequest(Operation operation, const QNetworkRequest &original,
                                 QIODevice *outgoingData) override
    {
        if (m_origin.isEmpty() || !isSameOrigin(original.url(), m_origin))
            return QNetworkAccessManager::createRequest(operation, original, outgoingData);
        QNetworkRequest request(original);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::SameOriginRedirectPolicy);
        return QNetworkAccessManager::createRequest(operation, request, outgoingData);
    }

private:
    const QUrl m_origin;
};

int defaultPort(const QString &scheme)
{
    if (scheme == QLatin1String("https"))
        return 443;
    if (scheme == QLatin1String("http"))
        return 80;
    return -1;
}

} // namespace

bool isSameOrigin(const QUrl &url, const QUrl &origin)
{
    if (!url.isValid() || !origin.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == origin.scheme().toLower()
        && url.host().compare(origin.host(), Qt::CaseInsensitive) == 0
        && url.port(defaultPort(scheme)) == origin.port(defaultPort(scheme));
}

SessionCookieView::SessionCookieView(QUrl origin, std::shared_ptr<const CookieSnapshot> cookies,
                                     QObject *parent)
    : QNetworkCookieJar(parent), m_origin(std::move(origin)), m_cookies(std::move(cookies))
{
}

QList<QNetworkCookie> SessionCookieView::cookiesForUrl(const QUrl &url) const
{
    // Cookies ignore ports and, over plain HTTP, schemes: the jar alone would hand the session
    // to any server on the service's host. The origin decides first.
    if (!m_cookies || m_origin.isEmpty() || !isSameOrigin(url, m_origin))
        return {};
    CookieMatcher matcher;
    matcher.setAllCookies(m_cookies->cookies());
    return matcher.cookiesForUrl(url);
}

bool SessionCookieView::setCookiesFromUrl(const QList<QNetworkCookie> &, const QUrl &)
{
    return false;
}

PictureNetworkFactory::PictureNetworkFactory(QUrl origin, std::shared_ptr<const CookieSnapshot> cookies)
    : m_origin(std::move(origin)), m_cookies(std::move(cookies))
{
}

std::unique_ptr<PictureNetworkFactory> PictureNetworkFactory::forClient(const VexaClient &client)
{
    return std::make_unique<PictureNetworkFactory>(client.baseURL(), client.cookieJar()->snapshot());
}

QNetworkAccessManager *PictureNetworkFactory::create(QObject *parent)
{
    auto *manager = new PictureManager(m_origin, parent);
    manager->setCookieJar(new SessionCookieView(m_origin, m_cookies, manager));
    manager->setTransferTimeout(30'000);
    // Redirects that would leave HTTPS are refused; loads with the session stay on the
    // service's origin (PictureManager).
    manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    return manager;
}

} // namespace vexa
