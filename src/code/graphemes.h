#pragma once

// Lengths and prefixes counted in user-perceived characters (grapheme clusters), so that a
// limit never splits an accented letter, an emoji or a surrogate pair.

#include <QString>

namespace vexa::graphemes {

qsizetype count(const QString &text);
// The first `limit` user-perceived characters of text (all of it when shorter).
QString prefix(const QString &text, qsizetype limit);

} // namespace vexa::graphemes
