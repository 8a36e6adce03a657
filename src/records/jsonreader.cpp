#include "jsonreader.h"

#include <simdjson.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <array>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

namespace vexa::records {

namespace od = simdjson::ondemand;

namespace {

bool integralDoubleFits(double d)
{
    return std::isfinite(d) && std::trunc(d) == d && d >= -9223372036854775808.0
        && d < 9223372036854775808.0;
}

// UTF-8 to a QString. The whole text passed simdjson's UTF-8 check before any string is read, and
// unescaping writes only well-formed sequences, so this needs no validation of its own (Qt's
// converter validates again, and half of a reply's decoding time went there). Two tight passes:
// count the UTF-16 units, so the string is allocated once at its final size, then convert, with
// runs of ASCII widened sixteen bytes at a time.
QString fromValidUtf8(std::string_view text)
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

bool startsWithByteOrderMark(std::string_view text)
{
    return text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF";
}

// One open container. simdjson's iterators only hold a cursor into the shared document, so they
// may be kept here between calls as long as the document is read in order, which a pull reader
// does by construction.
struct Frame {
    bool isObject = false;
    bool started = false; // the first member or element has been handed out
    od::object_iterator member, memberEnd;
    od::array_iterator element, elementEnd;
};

// A parser's buffers are sized to the longest text it has read. Small replies, the common case,
// reuse one parser per thread instead of allocating its buffers each time; one grown past this
// size is freed with its reader, so a 20 MB chat list leaves nothing behind.
constexpr size_t kReusedParserCapacity = 256 * 1024;
thread_local std::unique_ptr<od::parser> t_spareParser;

std::unique_ptr<od::parser> takeParser()
{
    if (t_spareParser)
        return std::move(t_spareParser);
    return std::make_unique<od::parser>();
}

void returnParser(std::unique_ptr<od::parser> parser)
{
    if (parser && parser->capacity() <= kReusedParserCapacity && !t_spareParser)
        t_spareParser = std::move(parser);
}

constexpr std::size_t kInternedMaxBytes = 32;

} // namespace

struct JsonReader::Impl {
    ~Impl() { returnParser(std::move(parser)); }

    std::unique_ptr<od::parser> parser = takeParser();
    simdjson::padded_string input;
    od::document document;
    od::value value;      // the value waiting to be read, below the top level
    bool atRoot = true;   // the waiting value is the document's own
    bool pending = false; // a value waits to be read
    bool kindKnown = false; // `kind` holds the waiting value's kind (fields ask more than once)
    Kind kind = Kind::Invalid;
    bool iterating = false; // the document exists (the first pass found no error)
    std::vector<Frame> frames;
    const char *base = nullptr; // the text being read (in the reply's buffer or the padded copy)
    std::string_view key; // in the reply, or unescaped into the parser's buffer; alive as long as the reader

    // Short strings repeat across a reply ("user", "assistant", ids of models, kinds of actions,
    // dates): the last one seen in each slot is handed out again, shared, instead of a new
    // allocation per field. A slot is only a cache: a miss converts and takes the slot over.
    struct Interned {
        unsigned char size = 0;
        char bytes[kInternedMaxBytes];
        QString text;
    };
    std::array<Interned, 128> interned;

    QString internedOrConverted(std::string_view content)
    {
        if (content.size() > kInternedMaxBytes || content.empty())
            return fromValidUtf8(content);
        std::uint32_t hash = 2166136261u;
        for (const char c : content)
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        Interned &slot = interned[(hash ^ (hash >> 16)) % interned.size()];
        if (slot.size == content.size() && std::memcmp(slot.bytes, content.data(), content.size()) == 0)
            return slot.text;
        slot.size = static_cast<unsigned char>(content.size());
        std::memcpy(slot.bytes, content.data(), content.size());
        slot.text = fromValidUtf8(content);
        return slot.text;
    }

    // simdjson reads the top-level value through the document and every other through a value;
    // both offer the same getters.
    template <typename F>
    auto onValue(F &&f)
    {
        return atRoot ? f(document) : f(value);
    }
};

JsonReader::JsonReader(const QByteArray &bytes) : d(std::make_unique<Impl>())
{
    std::string_view text(bytes.constData(), size_t(bytes.size()));
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3); // a byte-order mark, as Qt's parser allows
    // simdjson reads in blocks past the end of the text (never writing there): a buffer with that
    // much room after the text is read where it is, any other is copied once with padding.
    const qsizetype room = bytes.capacity() - bytes.size(); // 0 for raw data
    simdjson::padded_string_view view;
    static_assert(kRoomToReadInPlace >= qsizetype(simdjson::SIMDJSON_PADDING));
    if (room >= qsizetype(simdjson::SIMDJSON_PADDING)) {
        view = simdjson::padded_string_view(text.data(), text.size(), text.size() + size_t(room));
    } else {
        d->input = simdjson::padded_string(text);
        view = d->input;
    }
    d->base = text.data();
    if (const auto error = d->parser->iterate(view).get(d->document)) {
        fail(simdjson::error_message(error));
        return;
    }
    d->iterating = true;
    d->pending = true;
}

JsonReader::~JsonReader() = default;

bool JsonReader::fail(const char *what)
{
    if (!m_failed) {
        m_failed = true;
        m_error = what;
        const char *location = nullptr;
        if (d->iterating && !d->document.current_location().get(location) && location)
            m_errorOffset = location - d->base;
    }
    return false;
}

QString JsonReader::errorText() const
{
    if (!m_failed)
        return QString();
    if (m_errorOffset < 0)
        return QLatin1String(m_error);
    return QStringLiteral("%1 at offset %2").arg(QLatin1String(m_error)).arg(m_errorOffset);
}

JsonReader::Kind JsonReader::peek()
{
    if (m_failed || !d->pending)
        return Kind::Invalid;
    if (d->kindKnown)
        return d->kind;
    d->kindKnown = true;
    d->kind = kindOfNext();
    return m_failed ? Kind::Invalid : d->kind;
}

JsonReader::Kind JsonReader::kindOfNext()
{
    od::json_type type;
    if (d->onValue([](auto &v) { return v.type(); }).get(type)) {
        fail("unexpected character");
        return Kind::Invalid;
    }
    switch (type) {
    case od::json_type::object:
        return Kind::Object;
    case od::json_type::array:
        return Kind::Array;
    case od::json_type::string:
        return Kind::String;
    case od::json_type::number:
        return Kind::Number;
    case od::json_type::boolean:
        return Kind::Bool;
    case od::json_type::null:
        return Kind::Null;
    }
    fail("unexpected character");
    return Kind::Invalid;
}

bool JsonReader::enterObject()
{
    if (peek() != Kind::Object)
        return false;
    if (d->frames.size() >= size_t(kMaxDepth))
        return fail("nesting too deep");
    od::object object;
    if (d->onValue([](auto &v) { return v.get_object(); }).get(object))
        return fail("bad object");
    Frame frame;
    frame.isObject = true;
    if (object.begin().get(frame.member) || object.end().get(frame.memberEnd))
        return fail("bad object");
    d->pending = false;
    d->frames.push_back(frame);
    return true;
}

bool JsonReader::nextMember()
{
    if (m_failed || d->frames.empty() || !d->frames.back().isObject)
        return fail("no object to read");
    // A member the engine did not read is still checked, never skipped blindly.
    if (d->pending && !skipValue())
        return false;
    Frame &frame = d->frames.back();
    if (frame.started)
        ++frame.member;
    frame.started = true;
    if (!(frame.member != frame.memberEnd)) {
        d->frames.pop_back();
        return false;
    }
    od::field field;
    if ((*frame.member).get(field))
        return fail("bad member");
    // Keys rarely hold an escape: one without is compared where it lies in the reply, and
    // simdjson's buffer for unescaped text is not touched at all.
    const char *const raw = field.key().raw();
    const char *end = raw;
    while (*end != '"' && *end != '\\')
        ++end;
    if (*end == '"')
        d->key = std::string_view(raw, size_t(end - raw));
    else if (field.unescaped_key().get(d->key))
        return fail("bad key");
    // Qt's parser drops a byte-order mark that opens a key and then loses the member's value:
    // such a key has no meaning both sides agree on.
    if (startsWithByteOrderMark(d->key))
        return fail("byte-order mark in a key");
    d->value = std::move(field).value();
    d->atRoot = false;
    d->pending = true;
    d->kindKnown = false;
    return true;
}

bool JsonReader::keyIs(QLatin1StringView name) const
{
    return d->key.size() == size_t(name.size())
        && std::memcmp(d->key.data(), name.data(), d->key.size()) == 0;
}

QString JsonReader::key() const
{
    return fromValidUtf8(d->key);
}

bool JsonReader::enterArray()
{
    if (peek() != Kind::Array)
        return false;
    if (d->frames.size() >= size_t(kMaxDepth))
        return fail("nesting too deep");
    od::array array;
    if (d->onValue([](auto &v) { return v.get_array(); }).get(array))
        return fail("bad array");
    Frame frame;
    if (array.begin().get(frame.element) || array.end().get(frame.elementEnd))
        return fail("bad array");
    d->pending = false;
    d->frames.push_back(frame);
    return true;
}

bool JsonReader::nextElement()
{
    if (m_failed || d->frames.empty() || d->frames.back().isObject)
        return fail("no array to read");
    if (d->pending && !skipValue())
        return false;
    Frame &frame = d->frames.back();
    if (frame.started)
        ++frame.element;
    frame.started = true;
    if (!(frame.element != frame.elementEnd)) {
        d->frames.pop_back();
        return false;
    }
    if ((*frame.element).get(d->value))
        return fail("bad array element");
    d->atRoot = false;
    d->pending = true;
    d->kindKnown = false;
    return true;
}

bool JsonReader::readString(QString &out)
{
    if (peek() != Kind::String)
        return false;
    if (!d->atRoot) {
        // Most strings hold no escape: their bytes in the reply are the text (the first pass
        // checked their UTF-8 and refused raw control characters), so they are converted from
        // there rather than first copied out by the unescaper.
        std::string_view token = d->value.raw_json_token();
        while (!token.empty() && token.back() != '"')
            token.remove_suffix(1); // the white space before the next token
        if (token.size() >= 2) {
            std::string_view content = token.substr(1, token.size() - 2);
            if (!std::memchr(content.data(), '\\', content.size())) {
                // As in Qt's parser, a byte-order mark opening a string without escapes is not
                // part of it (Qt converts such a string in one go, skipping the mark; one with
                // escapes it reads character by character and keeps it).
                if (startsWithByteOrderMark(content))
                    content.remove_prefix(3);
                simdjson::ondemand::raw_json_string consumed;
                if (d->value.get_raw_json_string().get(consumed))
                    return fail("bad string");
                out = d->internedOrConverted(content);
                d->pending = false;
                return true;
            }
        }
    }
    std::string_view text;
    if (d->onValue([](auto &v) { return v.get_string(); }).get(text))
        return fail("bad string");
    out = fromValidUtf8(text);
    d->pending = false;
    return true;
}

bool JsonReader::readNumber(Number &out)
{
    if (peek() != Kind::Number)
        return false;
    // simdjson checks the grammar (no "01", "1.", "-"); the value itself is read from the token
    // exactly as Qt's parser reads it, so both agree to the last bit and on what is out of range.
    // Most numbers are integers: simdjson reads those exactly and checks their grammar. Anything
    // else (a fraction, an exponent, out of 64-bit range, a syntax error) takes the slow path.
    int64_t integer = 0;
    if (!d->onValue([](auto &v) { return v.get_int64(); }).get(integer)) {
        out = Number{true, integer, double(integer)};
        d->pending = false;
        return true;
    }
    std::string_view token;
    if (d->atRoot) {
        if (d->document.raw_json_token().get(token))
            return fail("bad number");
    } else {
        token = d->value.raw_json_token();
    }
    while (!token.empty() && (token.back() == ' ' || token.back() == '\t' || token.back() == '\n'
                              || token.back() == '\r'))
        token.remove_suffix(1);
    double checked = 0;
    if (d->onValue([](auto &v) { return v.get_double(); }).get(checked))
        return fail("bad number");
    d->pending = false;

    const char *first = token.data();
    const char *last = first + token.size();
    out = Number{};
    if (token.find_first_of(".eE") == std::string_view::npos) {
        const auto [ptr, ec] = std::from_chars(first, last, out.integer);
        if (ec == std::errc() && ptr == last) {
            out.isInteger = true;
            out.value = double(out.integer);
            return true;
        }
    }
    const auto [ptr, ec] = std::from_chars(first, last, out.value);
    if (ptr != last || ec != std::errc() || !std::isfinite(out.value))
        return fail("number out of range"); // as Qt's parser: no infinities, no underflow
    return true;
}

bool JsonReader::readBool(bool &out)
{
    if (peek() != Kind::Bool)
        return false;
    if (d->onValue([](auto &v) { return v.get_bool(); }).get(out))
        return fail("bad literal");
    d->pending = false;
    return true;
}

bool JsonReader::readNull()
{
    if (peek() != Kind::Null)
        return false;
    bool isNull = false;
    if (d->onValue([](auto &v) { return v.is_null(); }).get(isNull) || !isNull)
        return fail("bad literal");
    d->pending = false;
    return true;
}

bool JsonReader::skipValue()
{
    switch (peek()) {
    case Kind::Object:
        if (!enterObject())
            return false;
        while (nextMember()) {
            if (!skipValue())
                return false;
        }
        return !m_failed;
    case Kind::Array:
        if (!enterArray())
            return false;
        while (nextElement()) {
            if (!skipValue())
                return false;
        }
        return !m_failed;
    case Kind::String: {
        // Unescaped into the parser's buffer only: that checks every escape without a QString.
        std::string_view text;
        if (d->onValue([](auto &v) { return v.get_string(); }).get(text))
            return fail("bad string");
        d->pending = false;
        return true;
    }
    case Kind::Number: {
        Number number;
        return readNumber(number);
    }
    case Kind::Bool: {
        bool value = false;
        return readBool(value);
    }
    case Kind::Null:
        return readNull();
    case Kind::Invalid:
        break;
    }
    return fail(m_failed ? m_error : "unexpected end of text");
}

JsonReader::Position JsonReader::position() const
{
    return {qsizetype(d->frames.size())};
}

bool JsonReader::skipRest(const Position &start)
{
    while (!m_failed && qsizetype(d->frames.size()) > start.depth) {
        if (d->frames.back().isObject) {
            while (nextMember()) {
                if (!skipValue())
                    return false;
            }
        } else {
            while (nextElement()) {
                if (!skipValue())
                    return false;
            }
        }
    }
    if (m_failed)
        return false;
    return !d->pending || skipValue();
}

bool JsonReader::atEnd()
{
    if (m_failed || d->pending || !d->frames.empty())
        return false;
    // The document reports no position once every token is read.
    if (d->document.current_location().error() != simdjson::OUT_OF_BOUNDS)
        return fail("text after the value");
    return true;
}

bool readIntegerNumber(const JsonReader::Number &n, qint64 &out)
{
    if (n.isInteger) {
        out = n.integer;
        return true;
    }
    if (!integralDoubleFits(n.value))
        return false;
    out = qint64(n.value);
    return true;
}

} // namespace vexa::records
