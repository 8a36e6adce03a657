#include "codefilenames.h"

#include "graphemes.h"

namespace vexa {

bool isSafeFileName(const QString &name)
{
    if (name.isEmpty())
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
