// vexa-subset-font IN OUT SOURCE...
//
// Writes to OUT the font IN cut down to the glyphs of the private-use code points
// (U+E000–U+F8FF) that the SOURCE files write as 0x… literals: the symbol font the app bundles,
// of which it draws a few dozen glyphs out of more than two thousand. The whole font would be
// read into memory at every start (it is renamed there), for glyphs never shown. Fails, and so
// fails the build, when a code point the sources name has no glyph in IN.
#include <hb-subset.h>
#include <hb.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

// HarfBuzz objects released when they go out of scope (the tool runs under the sanitizers too).
template <typename T, void (*destroy)(T *)>
struct Release {
    void operator()(T *object) const { destroy(object); }
};
using Blob = std::unique_ptr<hb_blob_t, Release<hb_blob_t, hb_blob_destroy>>;
using Face = std::unique_ptr<hb_face_t, Release<hb_face_t, hb_face_destroy>>;
using Font = std::unique_ptr<hb_font_t, Release<hb_font_t, hb_font_destroy>>;
using Input = std::unique_ptr<hb_subset_input_t, Release<hb_subset_input_t, hb_subset_input_destroy>>;

std::set<hb_codepoint_t> privateUseLiterals(const char *path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    std::set<hb_codepoint_t> found;
    // Literals of exactly four hex digits: 0xe8b6, not 0xe8b6f nor part of a longer name.
    for (size_t at = source.find("0x"); at != std::string::npos; at = source.find("0x", at + 2)) {
        if (at > 0 && (std::isalnum(static_cast<unsigned char>(source[at - 1])) || source[at - 1] == '_'))
            continue;
        const size_t digits = at + 2;
        if (digits + 4 > source.size() || !std::all_of(source.begin() + digits, source.begin() + digits + 4, hex)
            || (digits + 4 < source.size() && hex(source[digits + 4])))
            continue;
        const auto value = hb_codepoint_t(std::stoul(source.substr(digits, 4), nullptr, 16));
        if (value >= 0xE000 && value <= 0xF8FF)
            found.insert(value);
    }
    return found;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s IN OUT SOURCE...\n", argv[0]);
        return 2;
    }
    std::set<hb_codepoint_t> wanted;
    for (int i = 3; i < argc; ++i)
        wanted.merge(privateUseLiterals(argv[i]));
    if (wanted.empty()) {
        std::fprintf(stderr, "%s: no private-use code point in the sources\n", argv[0]);
        return 1;
    }

    const Blob blob(hb_blob_create_from_file_or_fail(argv[1]));
    if (!blob) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const Face face(hb_face_create(blob.get(), 0));
    const Font font(hb_font_create(face.get()));
    int missing = 0;
    for (const hb_codepoint_t c : wanted) {
        hb_codepoint_t glyph = 0;
        if (!hb_font_get_nominal_glyph(font.get(), c, &glyph)) {
            std::fprintf(stderr, "%s: U+%04X has no glyph in %s\n", argv[0], c, argv[1]);
            ++missing;
        }
    }
    if (missing)
        return 1;

    const Input input(hb_subset_input_create_or_fail());
    if (input) {
        hb_set_t *unicodes = hb_subset_input_unicode_set(input.get());
        for (const hb_codepoint_t c : wanted)
            hb_set_add(unicodes, c);
    }
    const Face subset(input ? hb_subset_or_fail(face.get(), input.get()) : nullptr);
    if (!subset) {
        std::fprintf(stderr, "%s: cannot subset %s\n", argv[0], argv[1]);
        return 1;
    }
    const Blob result(hb_face_reference_blob(subset.get()));
    unsigned int length = 0;
    const char *data = hb_blob_get_data(result.get(), &length);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(data, std::streamsize(length));
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    std::printf("%s: %zu glyphs, %u bytes\n", argv[2], wanted.size(), length);
    return 0;
}
