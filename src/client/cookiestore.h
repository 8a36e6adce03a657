#pragma once

#include <QMutex>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QString>

#include <memory>

namespace vexa {

// The jar's cookies as of its last change, readable from any thread. QML loads pictures on its
// own thread with its own network managers; they read the session from here, never from the jar.
class CookieSnapshot
{
public:
    QList<QNetworkCookie> cookies() const
    {
        QMutexLocker lock(&m_mutex);
        return m_cookies;
    }
    void replace(QList<QNetworkCookie> cookies)
    {
        QMutexLocker lock(&m_mutex);
        m_cookies = std::move(cookies);
    }

private:
    mutable QMutex m_mutex;
    QList<QNetworkCookie> m_cookies;
};

// The session cookie is the client's only credential, so the jar lives on disk: session cookies
// included, in a file only the user can read, rewritten atomically after every change.
// Expired cookies are dropped when the file is read.
class PersistentCookieJar : public QNetworkCookieJar
{
    Q_OBJECT
public:
    explicit PersistentCookieJar(QString filePath, QObject *parent = nullptr);

    // Default location: <generic data>/VexaAI/cookies
    static QString defaultFilePath();
    QString filePath() const { return m_filePath; }

    bool setCookiesFromUrl(const QList<QNetworkCookie> &cookieList, const QUrl &url) override;
    bool insertCookie(const QNetworkCookie &cookie) override;
    bool updateCookie(const QNetworkCookie &cookie) override;
    bool deleteCookie(const QNetworkCookie &cookie) override;

    // Removes every cookie whose domain contains `host`; the rest stays. Returns how many.
    int removeCookiesForHost(const QString &host);

    // Whether the last write reached the disk (a full disk must not go unnoticed in tests).
    bool lastSaveSucceeded() const { return m_lastSaveOk; }

    // Follows every change of the jar (the jar itself belongs to the main thread).
    std::shared_ptr<const CookieSnapshot> snapshot() const { return m_snapshot; }

private:
    void load();
    void save();

    std::shared_ptr<CookieSnapshot> m_snapshot = std::make_shared<CookieSnapshot>();

    QString m_filePath;
    bool m_lastSaveOk = true;
    bool m_batch = false;
};

} // namespace vexa
