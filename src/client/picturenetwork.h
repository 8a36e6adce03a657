#pragma once

// Network managers for QML's own loads (Image sources: character portraits, picture answers).
// QML creates them on its loader thread, so they never touch the client's manager or jar: they
// read the session from the jar's thread-safe snapshot and send it only to the service's origin
// (same scheme, host and port). Pictures from anywhere else load without any cookie, and no
// picture reply may set one.

#include <QNetworkCookieJar>
#include <QQmlNetworkAccessManagerFactory>
#include <QUrl>

#include <memory>

namespace vexa {

class CookieSnapshot;
class VexaClient;

// Same scheme, host and port (a missing port is the scheme's default).
bool isSameOrigin(const QUrl &url, const QUrl &origin);

// The cookies QML's managers send: the snapshot's, for the service's origin only.
class SessionCookieView : public QNetworkCookieJar
{
    Q_OBJECT
public:
    SessionCookieView(QUrl origin, std::shared_ptr<const CookieSnapshot> cookies,
                      QObject *parent = nullptr);

    QList<QNetworkCookie> cookiesForUrl(const QUrl &url) const override;
    // Picture replies never change the session.
    bool setCookiesFromUrl(const QList<QNetworkCookie> &cookieList, const QUrl &url) override;

private:
    QUrl m_origin;
    std::shared_ptr<const CookieSnapshot> m_cookies;
};

class PictureNetworkFactory : public QQmlNetworkAccessManagerFactory
{
public:
    // An empty origin (the client refused its configuration) sends no cookie anywhere.
    PictureNetworkFactory(QUrl origin, std::shared_ptr<const CookieSnapshot> cookies);
    // The client's origin and session.
    static std::unique_ptr<PictureNetworkFactory> forClient(const VexaClient &client);

    // Called on QML's loader thread: reads only what never changes after construction.
    QNetworkAccessManager *create(QObject *parent) override;

private:
    const QUrl m_origin;
    const std::shared_ptr<const CookieSnapshot> m_cookies;
};

} // namespace vexa
