#pragma once
// UTF-8 that is already known to be well formed (the whole reply passed simdjson's UTF-8 check,
// and unescaping writes only well-formed sequences) to a QString, without validating it again:
// Qt's converter validates, and half of a reply's decoding time once went there.

#include <QString>

#include <string_view>

namespace vexa::records {

QString fromValidUtf8(std::string_view text);

namespace detail {
// The two builds fromValidUtf8 chooses between (tests compare them): SSE2 only, and one that
// packs two-byte text with SSSE3's byte shuffle, used where the processor has it.
QString fromValidUtf8Portable(std::string_view text);
QString fromValidUtf8Shuffled(std::string_view text);
bool shuffleAvailable();
} // namespace detail

} // namespace vexa::records
