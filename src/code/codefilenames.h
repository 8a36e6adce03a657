#pragma once

#include <QString>

namespace vexa {

// The project file's own name; never a user file.
inline constexpr QLatin1StringView kProjectFileName{"project.json"};

// A name the workspace may create, open, save or import: non-empty, at most 100 user-perceived
// characters, not the project file, and nothing that could leave the project folder or hide a
// file (no "..", "/", "\" and no leading ".").
bool isSafeFileName(const QString &name);

} // namespace vexa
