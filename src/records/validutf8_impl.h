#pragma once
// The converter behind fromValidUtf8 (validutf8.h), written once and compiled twice: by
// validutf8.cpp for any x86-64 (SSE2), and by validutf8_ssse3.cpp with SSSE3 enabled. Everything
// here has internal linkage on purpose: each file keeps its own copy, so the linker can never
// hand the SSSE3 build of a helper to the portable path.

#include <QString>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSSE3__)
#include <tmmintrin.h>
#endif

#include <array>
#include <cstdint>
#include <string_view>

namespace vexa::records {
namespace {

#if defined(__SSSE3__)
// For each set of kept 16-bit lanes out of eight (a bit per lane): the byte order that moves
// them to the front, and how many there are.
struct PackTable {
    alignas(16) std::uint8_t order[256][16];
    std::uint8_t count[256];
};

constexpr PackTable makePackTable()
{
    PackTable table{};
    for (unsigned kept = 0; kept < 256; ++kept) {
        unsigned n = 0;
        for (unsigned lane = 0; lane < 8; ++lane) {
            if (kept & (1u << lane)) {
                table.order[kept][2 * n] = std::uint8_t(2 * lane);
                table.order[kept][2 * n + 1] = std::uint8_t(2 * lane + 1);
                ++n;
            }
        }
        for (unsigned rest = 2 * n; rest < 16; ++rest)
            table.order[kept][rest] = 0x80; // zero; never kept
        table.count[kept] = std::uint8_t(n);
    }
    return table;
}

constexpr PackTable kPack = makePackTable();
#endif

// Two tight passes: count the UTF-16 units, so the string is allocated once at its final size,
// then convert, with runs of ASCII widened sixteen bytes at a time.
template <bool kShuffle>
QString convertValidUtf8(std::string_view text)
{
    const auto *const begin = reinterpret_cast<const unsigned char *>(text.data());
    const auto *const end = begin + text.size();
    // UTF-16 units: one per lead byte (anything but 10xxxxxx), two for a four-byte sequence.
    qsizetype units = qsizetype(text.size());
    const unsigned char *p = begin;
#if defined(__SSE2__)
    // Counted in byte lanes (a comparison gives -1 per match), summed before a lane can overflow.
    const __m128i zero = _mm_setzero_si128();
    const auto laneSum = [&](__m128i tally) {
        const __m128i sums = _mm_sad_epu8(tally, zero);
        return qsizetype(_mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    };
    while (end - p >= 16) {
        __m128i continuations = zero;
        __m128i fourByteLeads = zero;
        for (int block = 0; block < 255 && end - p >= 16; ++block, p += 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            continuations = _mm_sub_epi8(continuations, _mm_cmplt_epi8(chunk, _mm_set1_epi8(-64)));
            fourByteLeads = _mm_sub_epi8(fourByteLeads,
                                         _mm_and_si128(_mm_cmpgt_epi8(chunk, _mm_set1_epi8(-17)),
                                                       _mm_cmplt_epi8(chunk, zero)));
        }
        units += laneSum(fourByteLeads) - laneSum(continuations);
    }
#endif
    for (; p != end; ++p)
        units += (*p >= 0xF0) - ((*p & 0xC0) == 0x80);

    QString out(units, Qt::Uninitialized);
    auto *const first = reinterpret_cast<char16_t *>(out.data());
    [[maybe_unused]] char16_t *const last = first + units;
    char16_t *dst = first;
    p = begin;
    while (p != end) {
        const unsigned char *stop = end;
#if defined(__SSE2__)
        if (end - p >= 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            if (_mm_movemask_epi8(chunk) == 0) {
                const __m128i zero = _mm_setzero_si128();
                _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_unpacklo_epi8(chunk, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 8), _mm_unpackhi_epi8(chunk, zero));
                p += 16;
                dst += 16;
                continue;
            }
            // Text in Cyrillic, Greek and the like: ASCII and two-byte sequences only. Every
            // lead byte's value is worked out in 16-bit lanes (a two-byte lead together with the
            // byte after it, which the second load brings), then the leads are copied out in
            // order; continuation bytes give nothing. A lead in the last lane takes its
            // continuation from the next block, which that block then skips.
            const __m128i threeOrFourByteLead = _mm_and_si128(_mm_cmpgt_epi8(chunk, _mm_set1_epi8(-33)),
                                                              _mm_cmplt_epi8(chunk, zero));
            if (end - p >= 17 && _mm_movemask_epi8(threeOrFourByteLead) == 0) {
                const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1));
                const __m128i twoByteLead = _mm_and_si128(_mm_cmpgt_epi8(chunk, _mm_set1_epi8(-65)),
                                                          _mm_cmplt_epi8(chunk, zero));
                alignas(16) char16_t lanes[16];
                for (int half = 0; half < 2; ++half) {
                    const __m128i bytes = half ? _mm_unpackhi_epi8(chunk, zero) : _mm_unpacklo_epi8(chunk, zero);
                    const __m128i after = half ? _mm_unpackhi_epi8(next, zero) : _mm_unpacklo_epi8(next, zero);
                    const __m128i lead = half ? _mm_unpackhi_epi8(twoByteLead, twoByteLead)
                                              : _mm_unpacklo_epi8(twoByteLead, twoByteLead);
                    const __m128i pair = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(bytes, _mm_set1_epi16(0x1F)), 6),
                                                      _mm_and_si128(after, _mm_set1_epi16(0x3F)));
                    const __m128i value = _mm_or_si128(_mm_and_si128(lead, pair), _mm_andnot_si128(lead, bytes));
                    _mm_store_si128(reinterpret_cast<__m128i *>(lanes + 8 * half), value);
                }
                unsigned leads = ~unsigned(_mm_movemask_epi8(_mm_cmplt_epi8(chunk, _mm_set1_epi8(-64)))) & 0xFFFFu;
#if defined(__SSSE3__)
                // Eight lanes at a time, packed by a shuffle: a whole 16-byte store each, so
                // only while the string has that much room left.
                if constexpr (kShuffle) {
                    if (last - dst >= 16) {
                        for (int half = 0; half < 2; ++half) {
                            const unsigned kept = (leads >> (8 * half)) & 0xFFu;
                            const __m128i value = _mm_load_si128(reinterpret_cast<const __m128i *>(lanes + 8 * half));
                            const __m128i order = _mm_load_si128(reinterpret_cast<const __m128i *>(kPack.order[kept]));
                            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_shuffle_epi8(value, order));
                            dst += kPack.count[kept];
                        }
                        p += 16;
                        continue;
                    }
                }
#endif
                while (leads) {
                    *dst++ = lanes[__builtin_ctz(leads)];
                    leads &= leads - 1;
                }
                p += 16;
                continue;
            }
            stop = p + 16; // one block character by character, then look for ASCII again
        }
#endif
        while (p < stop) {
            const unsigned char c = *p;
            if (c < 0x80) {
                *dst++ = c;
                p += 1;
            } else if (c >= 0xC0 && c < 0xE0 && end - p >= 2) {
                *dst++ = char16_t(((c & 0x1F) << 6) | (p[1] & 0x3F));
                p += 2;
            } else if (c >= 0xE0 && c < 0xF0 && end - p >= 3) {
                *dst++ = char16_t(((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
                p += 3;
            } else if (c >= 0xF0 && end - p >= 4) {
                const char32_t code = ((c & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6)
                    | (p[3] & 0x3F);
                *dst++ = char16_t(0xD800 + ((code - 0x10000) >> 10));
                *dst++ = char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
                p += 4;
            } else {
                // Never met after simdjson's check; kept so that a broken sequence can only
                // shorten the text, never write past the counted units.
                if (c >= 0xC0)
                    *dst++ = u'\uFFFD';
                p = c >= 0xC0 ? end : p + 1;
            }
        }
    }
    out.truncate(dst - first);
    return out;
}

} // namespace
} // namespace vexa::records
