#pragma once

#include <QString>
#include <QStringList>

namespace vexa::spell {

// The user's own words ("Добавить в словарь"): a UTF-8 file, one word a line, in the app's data
// folder. The file is only ever appended to, never rewritten, so a list this app could not read
// in full (too large, partly unreadable) loses nothing.
struct PersonalWords {
    QStringList words;
    // False when the file exists but could not be read: the session keeps its additions in
    // memory and leaves the file alone.
    bool writable = true;
    // The file was larger than kMaxBytes: only its first kMaxBytes were read.
    bool truncated = false;

    static constexpr qint64 kMaxBytes = 1024 * 1024;
    // Longer lines are not words anyone added.
    static constexpr int kMaxWordLength = 100;

    // The list in the app's data folder.
    static QString defaultPath();
    // Reads at most kMaxBytes of the file at `path` (a missing file is an empty list).
    static PersonalWords read(const QString &path);
    // Appends one word as a line, creating the file and its folder; false when it could not.
    static bool append(const QString &path, const QString &word);
};

} // namespace vexa::spell
