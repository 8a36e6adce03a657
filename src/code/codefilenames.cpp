#include "codefilenames.h"

#include "graphemes.h"

#include <algorithm>

namespace vexa {

namespace {
bool disguises(QChar c)
{
    const char16_t u = c.unicode();
    return c.category() == QChar::Other_Control // NUL, line breaks, escapes
        || u == 0x2028 || u == 0x2029            // line and paragraph separators
        || (u >= 0x202A && u <= 0x202E)          // bidirectional embeddings and overrides
        || (u >= 0x2066 && u <= 0x2069);         // bidirectional isolates
}
} // namespace

bool isSafeFileName(const QString &name)
{
    if (name.isEmpty())
        return false;
    if (std::any_of(name.begin(), name.end(), disguises))
        return false;
    if (name.toUtf8().size() > kMaxFileNameBytes)
        return false;
    if (graphemes::count(name) > 100)
        return false;
    if (name == kProjectFileName)
        return false;
    if (name.contains(QLatin1String("..")))
        return false;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return false;
    return !name.startsWith(QLatin1Char('.'));
}

} // namespace vexa

namespace vexa {

bool sameFileName(const QString &a, const QString &b)
{
    return a == b
        || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

} // namespace vexa
