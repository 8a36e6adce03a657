// Built with SSSE3 enabled (see CMakeLists.txt); called only where the processor has it.
#include "validutf8.h"
#include "validutf8_impl.h"

namespace vexa::records::detail {

QString fromValidUtf8Shuffled(std::string_view text)
{
    return convertValidUtf8<true>(text);
}

} // namespace vexa::records::detail
