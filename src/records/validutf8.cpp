#include "validutf8.h"
#include "validutf8_impl.h"

namespace vexa::records {

namespace detail {

QString fromValidUtf8Portable(std::string_view text)
{
    return convertValidUtf8<false>(text);
}

bool shuffleAvailable()
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool available = __builtin_cpu_supports("ssse3");
    return available;
#else
    return false;
#endif
}

} // namespace detail

QString fromValidUtf8(std::string_view text)
{
    return detail::shuffleAvailable() ? detail::fromValidUtf8Shuffled(text)
                                      : detail::fromValidUtf8Portable(text);
}

} // namespace vexa::records
