#include "cookiestore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkCookie>
#include <QSaveFile>
#include <QStandardPaths>

namespace vexa {

namespace {
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
}

PersistentCookieJar::PersistentCookieJar(QString filePath, QObject *parent)
    : QNetworkCookieJar(parent), m_filePath(std::move(filePath))
{
    load();
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
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<QNetworkCookie> cookies;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        for (const QNetworkCookie &cookie : QNetworkCookie::parseCookies(line)) {
            if (cookie.isSessionCookie() || cookie.expirationDate() > now)
                cookies.append(cookie);
        }
    }
    setAllCookies(cookies);
    m_snapshot->replace(allCookies());
}

void PersistentCookieJar::save()
{
    m_snapshot->replace(allCookies());
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
}

} // namespace vexa
