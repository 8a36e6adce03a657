// vexa-subset-font IN OUT SOURCE...
//
// Writes to OUT the font IN cut down to the glyphs of the private-use code points
// (U+E000–U+F8FF) that the SOURCE files write as 0x… literals: the symbol font the app bundles,
// of which it draws a few dozen glyphs out of more than two thousand. The whole font would be
// read into memory at every start (it is renamed there), for glyphs never shown. Fails, and so
// fails the build, when a code point the sources name has no glyph in IN.
#include <hb-subset.h>
#include <hb.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

std::set<hb_codepoint_t> privateUseLiterals(const char *path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    std::set<hb_codepoint_t> found;
    static const std::regex literal("0x([0-9a-fA-F]{4})\\b");
    for (auto it = std::sregex_iterator(source.begin(), source.end(), literal); it != std::sregex_iterator(); ++it) {
        const auto value = hb_codepoint_t(std::stoul((*it)[1].str(), nullptr, 16));
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

    hb_blob_t *blob = hb_blob_create_from_file_or_fail(argv[1]);
    if (!blob) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    hb_face_t *face = hb_face_create(blob, 0);
    hb_font_t *font = hb_font_create(face);
    int missing = 0;
    for (const hb_codepoint_t c : wanted) {
        hb_codepoint_t glyph = 0;
        if (!hb_font_get_nominal_glyph(font, c, &glyph)) {
            std::fprintf(stderr, "%s: U+%04X has no glyph in %s\n", argv[0], c, argv[1]);
            ++missing;
        }
    }
    if (missing)
        return 1;

    hb_subset_input_t *input = hb_subset_input_create_or_fail();
    if (input) {
        hb_set_t *unicodes = hb_subset_input_unicode_set(input);
        for (const hb_codepoint_t c : wanted)
            hb_set_add(unicodes, c);
    }
    hb_face_t *subset = input ? hb_subset_or_fail(face, input) : nullptr;
    if (!subset) {
        std::fprintf(stderr, "%s: cannot subset %s\n", argv[0], argv[1]);
        return 1;
    }
    hb_blob_t *result = hb_face_reference_blob(subset);
    unsigned int length = 0;
    const char *data = hb_blob_get_data(result, &length);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(data, std::streamsize(length));
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    std::printf("%s: %zu glyphs, %u bytes\n", argv[2], wanted.size(), length);
    return 0;
}
