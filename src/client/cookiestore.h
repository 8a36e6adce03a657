#pragma once

#include <QNetworkCookieJar>
#include <QString>

namespace vexa {

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

private:
    void load();
    void save();

    QString m_filePath;
    bool m_lastSaveOk = true;
    bool m_batch = false;
};

} // namespace vexa
