#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace vexa {

// Watches the open file for changes made outside the app. The file itself and its folder are
// watched: an editor elsewhere that saves by writing a new file and renaming it over the old
// one (as the app does too) replaces the watched file, which the folder's change reveals, and the
// file's watch is then taken up again. What the app itself read or wrote is noted with
// noteContent(): a change that leaves exactly those bytes on disk is the app's own save (or no
// change at all) and is not reported. Bursts of changes (a write in several steps) are looked at
// once they have been quiet for a moment.
class CodeFileWatch : public QObject
{
    Q_OBJECT

public:
    explicit CodeFileWatch(QObject *parent = nullptr);

    // Starts watching that file (an empty path stops); its current content is taken as known.
    void watch(const QString &path, const QByteArray &content);
    // The app read or wrote these bytes: finding them on disk is not a change. Also takes up the
    // file's watch again (a save replaced it).
    void noteContent(const QByteArray &content);
    QString path() const { return m_path; }

Q_SIGNALS:
    // The file holds other bytes than the app last read or wrote (given, already read).
    void changedOnDisk(const QByteArray &content);
    // The file is gone (deleted or renamed away). Reported once until it comes back.
    void deletedOnDisk();
    // Something in the file's folder changed (files added, removed or renamed).
    void folderChanged();

private:
    void look();
    void arm();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_path;
    QString m_folder;
    QByteArray m_knownHash;
    // The file's size and time as last seen: unchanged, the bytes are not read again.
    qint64 m_knownSize = -1;
    QDateTime m_knownTime;
    bool m_missing = false;
};

} // namespace vexa
