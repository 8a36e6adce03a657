// The highlighter over arbitrary text in every language: no input may crash it, hang it past
// its budget, or give runs outside their line. The first byte picks the language; the rest is
// the code as UTF-8 (broken sequences become U+FFFD as they would from a service's text) and
// also serves as a fence info string and a file name.

#include "highlightchecks.h"

#include <QStringList>

#include <chrono>
#include <cstdint>

using namespace vexa::highlight;
using vexa::fuzz::check;

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

    vexa::fuzz::checkHighlight(code, r);
    return 0;
}
