#pragma once

// What every highlighting result must hold, for the fuzz targets: one line of runs per line of
// the text, each run in order, apart, inside its line, never plain, never starting inside a
// surrogate pair.

#include "highlight.h"

#include <cstdlib>

namespace vexa::fuzz {

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

inline void checkHighlight(const QString &code, const highlight::Result &r)
{
    using highlight::Role;
    using highlight::Span;
    check(r.lines.size() == code.count(u'\n') + 1);
    qsizetype from = 0;
    for (const QList<Span> &line : r.lines) {
        qsizetype to = code.indexOf(u'\n', from);
        if (to < 0)
            to = code.size();
        int end = 0;
        for (const Span &s : line) {
            check(s.start >= end && s.length > 0 && s.start + s.length <= to - from);
            check(s.role != Role::Plain && s.role <= Role::Escape);
            check(!code.at(from + s.start).isLowSurrogate());
            end = s.start + s.length;
        }
        from = to + 1;
    }
}

} // namespace vexa::fuzz
