#pragma once

#include <QMutex>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QString>
#include <QCoro/QCoroTask>

#include <memory>

namespace vexa {

class SecretStore;

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

// The session cookie is the client's only credential, so the jar outlives the process: session
// cookies included, expired ones dropped when read.
//
// With a secret service (the desktop's keyring) the cookies live there and the file holds
// nothing. Without one, or when it stops answering, they live in the file, which only the user
// can read and which is rewritten atomically after every change. Moving from the file to the
// keyring, or back when the keyring goes away, keeps the session: each change is written to the
// file first and the file is removed only once the keyring has the same cookies.
class PersistentCookieJar : public QNetworkCookieJar
{
    Q_OBJECT
public:
    enum class Store { File, SecretService };

    explicit PersistentCookieJar(QString filePath, QObject *parent = nullptr);
    PersistentCookieJar(QString filePath, std::shared_ptr<SecretStore> secrets,
                        QObject *parent = nullptr);
    ~PersistentCookieJar() override;

    // Completes once the cookies kept in the secret service are in the jar; at once without
    // one. Requests wait for it, so the first request already carries the session.
    QCoro::Task<> loaded();
    bool isLoading() const { return m_loadingSecrets; }
    // Nothing on its way to or from the keyring.
    bool isSettled() const { return !m_loadingSecrets && !m_secretWriting; }
    // Where the cookies are kept now.
    Store store() const { return m_store; }

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

Q_SIGNALS:
    void secretsLoaded();

private:
    void load();
    void save();
    bool writeFile();
    QCoro::Task<> loadSecrets();
    QCoro::Task<> writeSecrets();
    void fallBackToFile(const char *why);
    QString secretKey() const;
    QByteArray serialized() const;

    QString m_filePath;
    bool m_lastSaveOk = true;
    bool m_batch = false;
    std::shared_ptr<SecretStore> m_secrets;
    Store m_store = Store::File;
    bool m_loadingSecrets = false;
    bool m_secretDirty = false;
    bool m_secretWriting = false;

    std::shared_ptr<CookieSnapshot> m_snapshot = std::make_shared<CookieSnapshot>();

};

} // namespace vexa
