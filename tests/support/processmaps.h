#pragma once

#include <QFile>

// Whether a library whose path contains `library` is mapped into this process: what the tests of
// the app's modules check before and after their first use.
namespace vexa::test {

inline bool mapped(const char *library)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

} // namespace vexa::test
