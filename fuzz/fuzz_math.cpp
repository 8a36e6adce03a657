// The math typesetter over arbitrary formulas: parsed, set in display and in text style, and
// read aloud. None may crash or hang; a formula that sets has finite, non-negative sizes and
// no more glyphs than the cap, and every glyph and rule lies at a finite place.

#include "mathlayout.h"
#include "mathparser.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace vexa;

namespace {

// A broken invariant is a finding: libFuzzer keeps the input that aborted.
void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkLayout(const math::MathLayout &l)
{
    if (!l.ok) {
        check(!l.error.isEmpty());
        return;
    }
    const math::MathBox &b = l.box;
    check(std::isfinite(b.width) && std::isfinite(b.height) && std::isfinite(b.depth));
    check(b.height >= 0 && b.depth >= 0);
    check(b.glyphs.size() <= math::kMaxGlyphs);
    for (const math::MathGlyph &g : b.glyphs)
        check(std::isfinite(g.x) && std::isfinite(g.y) && g.size > 0);
    for (const math::MathRule &r : b.rules)
        check(std::isfinite(r.x) && std::isfinite(r.y) && r.width >= 0 && r.height >= 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString tex = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const math::ParseResult parsed = math::parseMath(tex);
    check(parsed.root != nullptr || !parsed.error.isEmpty());
    if (!parsed.root)
        return 0;
    (void)math::spokenMath(*parsed.root);
    checkLayout(math::layoutMath(*parsed.root, 16, true));
    checkLayout(math::layoutMath(*parsed.root, 13, false));
    return 0;
}
