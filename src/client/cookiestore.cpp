#include "cookiestore.h"

#include "detachedtask.h"
#include "secretstore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkCookie>
#include <QLoggingCategory>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>
#include <QCoro/QCoroSignal>

namespace vexa {

Q_LOGGING_CATEGORY(lcCookies, "vexa.cookies", QtInfoMsg)

namespace {
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Set-Cookie lines, one per cookie; expired ones left out.
QList<QNetworkCookie> parseLines(const QByteArray &text)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<QNetworkCookie> cookies;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty())
            continue;
        for (const QNetworkCookie &cookie : QNetworkCookie::parseCookies(line)) {
            if (cookie.isSessionCookie() || cookie.expirationDate() > now)
                cookies.append(cookie);
        }
    }
    return cookies;
}
} // namespace

PersistentCookieJar::PersistentCookieJar(QString filePath, QObject *parent)
    : PersistentCookieJar(std::move(filePath), nullptr, parent)
{
}

PersistentCookieJar::PersistentCookieJar(QString filePath, std::shared_ptr<SecretStore> secrets,
                                         QObject *parent)
    : QNetworkCookieJar(parent), m_filePath(std::move(filePath)), m_secrets(std::move(secrets))
{
    // The file first: it holds the session when the last run had no keyring.
    load();
    if (m_secrets) {
        m_loadingSecrets = true;
        detach(loadSecrets());
    }
}

PersistentCookieJar::~PersistentCookieJar() = default;

QCoro::Task<> PersistentCookieJar::loaded()
{
    if (!m_loadingSecrets)
        co_return;
    co_await qCoro(this, &PersistentCookieJar::secretsLoaded);
}

QString PersistentCookieJar::secretKey() const
{
    // One entry per cookie file, so separate data folders (and tests) never share a session.
    return QLatin1String("cookies:") + QFileInfo(m_filePath).absoluteFilePath();
}

QByteArray PersistentCookieJar::serialized() const
{
    QByteArray text;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QNetworkCookie &cookie : allCookies()) {
        if (!cookie.isSessionCookie() && cookie.expirationDate() <= now)
            continue;
        text += cookie.toRawForm(QNetworkCookie::Full) + '\n';
    }
    return text;
}

QCoro::Task<> PersistentCookieJar::loadSecrets()
{
    QPointer<PersistentCookieJar> self(this);
    std::shared_ptr<SecretStore> secrets = m_secrets;
    const SecretStore::Read stored = co_await secrets->read(secretKey());
    if (!self)
        co_return;
    if (stored.status == SecretStore::Status::Unavailable) {
        fallBackToFile("it did not answer");
    } else {
        // Cookies from the file are newer than the keyring's: they were written while it was
        // away. They win where both have the same cookie.
        QList<QNetworkCookie> merged = parseLines(stored.value);
        for (const QNetworkCookie &fromFile : allCookies()) {
            merged.removeIf([&](const QNetworkCookie &c) { return c.hasSameIdentifier(fromFile); });
            merged.append(fromFile);
        }
        setAllCookies(merged);
        m_snapshot->replace(allCookies());
        m_store = Store::SecretService;
    }
    m_loadingSecrets = false;
    // Moves what the file had into the keyring (and the file away once it is there).
    if (m_store == Store::SecretService && QFileInfo::exists(m_filePath))
        save();
    Q_EMIT secretsLoaded();
}

void PersistentCookieJar::fallBackToFile(const char *why)
{
    m_store = Store::File;
    static bool told = false;
    if (!told) {
        told = true;
        qCInfo(lcCookies, "The desktop's secret service is not in use (%s): the session is kept in "
                          "%s, readable only by you.", why, qPrintable(m_filePath));
    }
}

QString PersistentCookieJar::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/VexaAI/cookies");
}

bool PersistentCookieJar::setCookiesFromUrl(const QList<QNetworkCookie> &cookieList, const QUrl &url)
{
    // The base class calls insertCookie/updateCookie per cookie; write once at the end.
    m_batch = true;
    const bool changed = QNetworkCookieJar::setCookiesFromUrl(cookieList, url);
    m_batch = false;
    if (changed)
        save();
    return changed;
}

bool PersistentCookieJar::insertCookie(const QNetworkCookie &cookie)
{
    const bool changed = QNetworkCookieJar::insertCookie(cookie);
    if (changed && !m_batch)
        save();
    return changed;
}

bool PersistentCookieJar::updateCookie(const QNetworkCookie &cookie)
{
    const bool changed = QNetworkCookieJar::updateCookie(cookie);
    if (changed && !m_batch)
        save();
    return changed;
}

bool PersistentCookieJar::deleteCookie(const QNetworkCookie &cookie)
{
    const bool changed = QNetworkCookieJar::deleteCookie(cookie);
    if (changed && !m_batch)
        save();
    return changed;
}

int PersistentCookieJar::removeCookiesForHost(const QString &host)
{
    QList<QNetworkCookie> kept;
    int removed = 0;
    for (const QNetworkCookie &cookie : allCookies()) {
        if (!host.isEmpty() && cookie.domain().contains(host, Qt::CaseInsensitive))
            ++removed;
        else
            kept.append(cookie);
    }
    if (removed > 0) {
        setAllCookies(kept);
        save();
    }
    return removed;
}

// One cookie per line in its Set-Cookie form, which keeps domain, path, expiry and flags.
void PersistentCookieJar::load()
{
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    setAllCookies(parseLines(file.readAll()));
    m_snapshot->replace(allCookies());
}

void PersistentCookieJar::save()
{
    m_snapshot->replace(allCookies()); // pictures loading on other threads see the change
    if (m_loadingSecrets)
        return; // everything is written once the keyring's cookies are merged in
    // The file first, so a process that ends before the keyring confirms loses nothing.
    writeFile();
    if (m_store == Store::SecretService) {
        m_secretDirty = true;
        if (!m_secretWriting)
            detach(writeSecrets());
    }
}

QCoro::Task<> PersistentCookieJar::writeSecrets()
{
    QPointer<PersistentCookieJar> self(this);
    std::shared_ptr<SecretStore> secrets = m_secrets;
    m_secretWriting = true;
    while (m_secretDirty) {
        m_secretDirty = false;
        const QByteArray text = serialized();
        const QString key = secretKey();
        SecretStore::Status status = SecretStore::Status::Unavailable;
        if (text.isEmpty())
            status = co_await secrets->remove(key);
        else
            status = co_await secrets->write(key, text);
        if (!self)
            co_return;
        if (status != SecretStore::Status::Ok) {
            // The file already has these cookies: the session stays where it can be read.
            fallBackToFile("it refused to keep the session");
            m_secretDirty = false;
            break;
        }
        if (!m_secretDirty)
            QFile::remove(m_filePath); // the keyring has exactly what the file had
    }
    m_secretWriting = false;
}

bool PersistentCookieJar::writeFile()
{
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QSaveFile file(m_filePath);
    bool ok = file.open(QIODevice::WriteOnly) && file.setPermissions(kOwnerOnly);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QNetworkCookie &cookie : allCookies()) {
        if (!ok)
            break;
        if (!cookie.isSessionCookie() && cookie.expirationDate() <= now)
            continue;
        ok = file.write(cookie.toRawForm(QNetworkCookie::Full) + '\n') >= 0;
    }
    if (ok)
        ok = file.commit();
    else
        file.cancelWriting();
    m_lastSaveOk = ok;
    return ok;
}

} // namespace vexa
