#include "jsonreader.h"
#include "validutf8.h"

#include <simdjson.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <memory>
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

// A parser's buffers are sized to the longest text it has read, and a fresh parser's structural
// index is memory the kernel hands over page by page as the first pass writes it (an eighth of a
// 13 MB chat list's decoding). Each thread keeps its parser for the next reply instead. Replies
// over 64 KiB are decoded on the client's own pool, whose threads end after 30 s without work, so
// the parser a large chat list grew goes with its thread at the latest then, and successive syncs
// in between reuse it; the main thread only ever decodes small replies. A parser grown past this
// size (a reply near the client's cap) is freed with its reader all the same.
constexpr size_t kKeptParserCapacity = 32 * 1024 * 1024;
thread_local std::unique_ptr<od::parser> t_spareParser;

std::unique_ptr<od::parser> takeParser()
{
    if (t_spareParser)
        return std::move(t_spareParser);
    return std::make_unique<od::parser>();
}

void returnParser(std::unique_ptr<od::parser> parser)
{
    if (parser && parser->capacity() <= kKeptParserCapacity && !t_spareParser)
        t_spareParser = std::move(parser);
}

constexpr std::size_t kInternedMaxBytes = 32;

// Strings with escapes are unescaped into this thread's own small buffer rather than simdjson's,
// which is sized for the whole reply and, for a large one, fresh memory the kernel must hand over
// page by page (a tenth of a 13 MB chat list's decoding went there). The text is converted to a
// QString at once, so the buffer is reused for the next string. One unusually long string gets a
// buffer of its own instead of growing this one for good.
constexpr std::size_t kKeptUnescapeBytes = 1024 * 1024;

struct UnescapeBuffer {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
};
thread_local UnescapeBuffer t_unescape;

// Room for `contentBytes` of escaped text (never shorter once unescaped) and the block writes past
// its end that simdjson's unescaper makes.
std::uint8_t *unescapeRoom(std::size_t contentBytes, std::unique_ptr<std::uint8_t[]> &oneOff)
{
    const std::size_t needed = contentBytes + 2 * simdjson::SIMDJSON_PADDING;
    if (needed > kKeptUnescapeBytes) {
        oneOff = std::make_unique_for_overwrite<std::uint8_t[]>(needed);
        return oneOff.get();
    }
    if (t_unescape.size < needed) {
        const std::size_t size = std::max(needed, std::size_t(4096));
        t_unescape.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        t_unescape.size = size;
    }
    return t_unescape.bytes.get();
}

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
            simdjson::ondemand::raw_json_string raw;
            if (d->value.get_raw_json_string().get(raw))
                return fail("bad string");
            std::unique_ptr<std::uint8_t[]> oneOff;
            std::uint8_t *room = unescapeRoom(content.size(), oneOff);
            std::string_view text;
            if (d->parser->unescape(raw, room).get(text))
                return fail("bad string");
            out = fromValidUtf8(text);
            d->pending = false;
            return true;
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
