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
#include <QStandardPaths>
#include <QCoro/QCoroSignal>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexa {

Q_LOGGING_CATEGORY(lcCookies, "vexa.cookies", QtInfoMsg)

namespace {
constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Replaces `path` with `bytes` so that, whatever moment the process dies at, the file is either
// the old or the new text, and no one but the user could ever read either: the next version is
// created under "<path>.tmp" with mode 0600 in the open() itself (QSaveFile creates a new file
// with the umask's mode and narrows it only afterwards), synced, then renamed over the file and
// the folder synced. A "<path>.tmp" left by a killed writer is removed first; O_EXCL refuses
// whatever might stand there instead (a link planted by someone else).
bool replaceOwnerOnly(const QString &path, const QByteArray &bytes)
{
    const QByteArray finalName = QFile::encodeName(path);
    const QByteArray tempName = finalName + ".tmp";
    ::unlink(tempName.constData());
    const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                          kOwnerOnly);
    if (fd < 0)
        return false;
    // A umask can only take bits away; one that took the owner's own is put right before a
    // byte is written.
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0
        && ((st.st_mode & 07777) == kOwnerOnly || ::fchmod(fd, kOwnerOnly) == 0)
        && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(tempName.constData(), finalName.constData()) == 0;
    if (!ok) {
        ::unlink(tempName.constData());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

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
    // A file left readable by others (copied in, or written by an older version) is closed up
    // before anything else happens with the session in it.
    struct stat st {};
    if (::fstat(file.handle(), &st) == 0 && (st.st_mode & 077) != 0)
        ::fchmod(file.handle(), kOwnerOnly);
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
    const bool ok = replaceOwnerOnly(m_filePath, serialized());
    m_lastSaveOk = ok;
    return ok;
}

} // namespace vexa
