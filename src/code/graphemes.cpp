#include "graphemes.h"

#include <QTextBoundaryFinder>

namespace vexa::graphemes {

qsizetype count(const QString &text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype n = 0;
    while (finder.toNextBoundary() != -1)
        ++n;
    return n;
}

QString prefix(const QString &text, qsizetype limit)
{
    // Every cluster is at least one code unit: a short enough text needs no walk.
    if (limit <= 0)
        return QString();
    if (text.size() <= limit)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype position = 0;
    for (qsizetype n = 0; n < limit; ++n) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1)
            return text;
        position = next;
    }
    return text.left(position);
}

} // namespace vexa::graphemes
