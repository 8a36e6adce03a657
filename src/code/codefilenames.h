#pragma once

#include <QString>

namespace vexa {

// The project file's own name; never a user file.
inline constexpr QLatin1StringView kProjectFileName{"project.json"};

// Longest name in UTF-8 bytes: the atomic save puts a temporary "<name>.XXXXXX" beside the file
// and both must fit the file system's 255 bytes.
inline constexpr qsizetype kMaxFileNameBytes = 255 - 7;

// A name the workspace may create, open, save or import: non-empty, at most 100 user-perceived
// characters and kMaxFileNameBytes bytes, not the project file, and nothing that could leave the
// project folder, hide a file or disguise it (no "..", "/", "\", no leading ".", no control
// characters such as NUL or a line break, no bidirectional overrides).
bool isSafeFileName(const QString &name);

// Whether two names are the same file for the workspace: equal once both are in Unicode's
// composed form (NFC), so "й" typed on one system and "и" + breve from another never make
// two files that look alike, and one never replaces the other.
bool sameFileName(const QString &a, const QString &b);

} // namespace vexa
