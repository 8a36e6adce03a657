// The highlighter over arbitrary text in every language: no input may crash it, hang it past
// its budget, or give runs outside their line. The first byte picks the language; the rest is
// the code as UTF-8 (broken sequences become U+FFFD as they would from a service's text) and
// also serves as a fence info string and a file name.

#include "highlight.h"

#include <QStringList>

#include <chrono>
#include <cstdint>
#include <cstdlib>

using namespace vexa::highlight;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const QStringList names = languages();
    const QString language = names.at(data[0] % names.size());
    const QString code = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    // The names' rules read any text without trouble.
    const QString canonical = canonicalLanguage(code.left(64));
    check(canonical.isEmpty() || names.contains(canonical));
    check(displayName(code.left(64)).isEmpty() == canonical.isEmpty());
    const QString forFile = languageForFile(code.left(80), QStringView(code).mid(80, 300));
    check(forFile.isEmpty() || names.contains(forFile));

    const auto started = std::chrono::steady_clock::now();
    const Result r = highlight(language, code);
    const auto took = std::chrono::steady_clock::now() - started;
    // The time budget (250 ms) plus at most one line at the line limit (slack for the sanitizers).
    check(took < std::chrono::seconds(5));

    check(r.lines.size() == code.count(u'\n') + 1);
    qsizetype from = 0;
    for (const QList<Span> &line : r.lines) {
        qsizetype to = code.indexOf(u'\n', from);
        if (to < 0)
            to = code.size();
        int end = 0;
        for (const Span &s : line) {
            // In order, apart, inside the line, never plain, never splitting a surrogate pair.
            check(s.start >= end && s.length > 0 && s.start + s.length <= to - from);
            check(s.role != Role::Plain && s.role <= Role::Escape);
            check(!code.at(from + s.start).isLowSurrogate());
            end = s.start + s.length;
        }
        from = to + 1;
    }
    return 0;
}
