#include "codefilewatch.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace vexa {

namespace {

// How long a burst of changes must be quiet before the file is looked at.
constexpr int kSettleMs = 120;

QByteArray hashOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

} // namespace

CodeFileWatch::CodeFileWatch(QObject *parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &CodeFileWatch::look);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_settle.start(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        Q_EMIT folderChanged();
        m_settle.start();
    });
}

void CodeFileWatch::watch(const QString &path, const QByteArray &content)
{
    m_settle.stop();
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_path = path;
    m_folder = path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
    m_missing = false;
    if (path.isEmpty())
        return;
    m_watcher.addPath(m_folder);
    noteContent(content);
}

void CodeFileWatch::noteContent(const QByteArray &content)
{
    if (m_path.isEmpty())
        return;
    m_knownHash = hashOf(content);
    const QFileInfo info(m_path);
    m_knownSize = info.exists() ? info.size() : -1;
    m_knownTime = info.exists() ? info.lastModified() : QDateTime();
    m_missing = !info.exists();
    arm();
}

// The file's watch ends when the file is replaced or removed: taken up again while it exists.
void CodeFileWatch::arm()
{
    if (QFileInfo::exists(m_path) && !m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);
}

void CodeFileWatch::look()
{
    if (m_path.isEmpty())
        return;
    const QFileInfo info(m_path);
    if (!info.exists()) {
        if (!m_missing) {
            m_missing = true;
            Q_EMIT deletedOnDisk();
        }
        return;
    }
    arm();
    const bool wasMissing = m_missing;
    m_missing = false;
    if (!wasMissing && info.size() == m_knownSize && info.lastModified() == m_knownTime)
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.readAll();
    m_knownSize = info.size();
    m_knownTime = info.lastModified();
    const QByteArray hash = hashOf(content);
    // A file that comes back is reported even with the same bytes: it is no longer missing.
    if (hash == m_knownHash && !wasMissing)
        return;
    m_knownHash = hash;
    Q_EMIT changedOnDisk(content);
}

} // namespace vexa
