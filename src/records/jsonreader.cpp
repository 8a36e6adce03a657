#include "jsonreader.h"

#include <charconv>
#include <cmath>

namespace vexa::records {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Length of the valid UTF-8 sequence starting at p (lead byte >= 0x80), or 0 when invalid:
// no overlong forms, no encoded surrogates, nothing above U+10FFFF.
qsizetype utf8SequenceLength(const unsigned char *p, qsizetype available)
{
    const unsigned char lead = p[0];
    qsizetype length;
    unsigned char min2 = 0x80, max2 = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            min2 = 0xA0;
        else if (lead == 0xED)
            max2 = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            min2 = 0x90;
        else if (lead == 0xF4)
            max2 = 0x8F;
    } else {
        return 0;
    }
    if (available < length || p[1] < min2 || p[1] > max2)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

bool integralDoubleFits(double d)
{
    return std::isfinite(d) && std::trunc(d) == d && d >= -9223372036854775808.0
        && d < 9223372036854775808.0;
}

} // namespace

JsonReader::JsonReader(const QByteArray &bytes) : m_data(bytes.constData()), m_size(bytes.size())
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        m_pos = 3; // a byte-order mark, as the platform parser allows
}

void JsonReader::skipSpace()
{
    while (m_pos < m_size && isSpace(m_data[m_pos]))
        ++m_pos;
}

bool JsonReader::fail(const char *what)
{
    if (!m_failed) {
        m_failed = true;
        m_error = what;
    }
    return false;
}

QString JsonReader::errorText() const
{
    return m_failed ? QStringLiteral("%1 at offset %2").arg(QLatin1String(m_error)).arg(m_pos) : QString();
}

bool JsonReader::expect(char c)
{
    skipSpace();
    if (m_pos < m_size && m_data[m_pos] == c) {
        ++m_pos;
        return true;
    }
    return fail("unexpected character");
}

JsonReader::Kind JsonReader::peek()
{
    if (m_failed)
        return Kind::Invalid;
    skipSpace();
    if (m_pos >= m_size)
        return Kind::Invalid;
    switch (m_data[m_pos]) {
    case '{':
        return Kind::Object;
    case '[':
        return Kind::Array;
    case '"':
        return Kind::String;
    case 't':
    case 'f':
        return Kind::Bool;
    case 'n':
        return Kind::Null;
    case '-':
    case '.':
    case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9':
        return Kind::Number;
    default:
        return Kind::Invalid;
    }
}

bool JsonReader::enterContainer(Kind kind)
{
    if (peek() != kind)
        return false;
    ++m_pos;
    if (++m_depth > kMaxDepth)
        return fail("nesting too deep");
    m_first = true;
    return true;
}

bool JsonReader::nextItem(char close, const char *unterminated, const char *badSeparator)
{
    if (m_failed)
        return false;
    skipSpace();
    if (m_pos >= m_size)
        return fail(unterminated);
    if (m_data[m_pos] == close) {
        ++m_pos;
        --m_depth;
        m_first = false;
        return false;
    }
    if (!m_first) {
        if (m_data[m_pos] != ',')
            return fail(badSeparator);
        ++m_pos;
        skipSpace();
    }
    m_first = false;
    return true;
}

bool JsonReader::enterObject()
{
    return enterContainer(Kind::Object);
}

bool JsonReader::nextMember()
{
    if (!nextItem('}', "unterminated object", "expected ',' or '}'"))
        return false;
    if (m_pos >= m_size || m_data[m_pos] != '"')
        return fail("expected a member name");
    if (!scanString(m_keyBegin, m_keySize, m_keyEscaped))
        return false;
    return expect(':');
}

bool JsonReader::keyIs(QLatin1StringView name) const
{
    if (!m_keyEscaped)
        return m_keySize == name.size() && std::memcmp(m_keyBegin, name.data(), size_t(m_keySize)) == 0;
    return key() == name;
}

QString JsonReader::key() const
{
    QString out;
    decodeString(m_keyBegin, m_keySize, m_keyEscaped, out);
    return out;
}

bool JsonReader::enterArray()
{
    return enterContainer(Kind::Array);
}

bool JsonReader::nextElement()
{
    return nextItem(']', "unterminated array", "expected ',' or ']'");
}

// Finds the end of the string at m_pos (which is at the opening quote), validating escapes,
// UTF-8 and control characters, and leaves m_pos after the closing quote.
bool JsonReader::scanString(const char *&contentBegin, qsizetype &contentSize, bool &escaped)
{
    ++m_pos; // opening quote
    const qsizetype begin = m_pos;
    escaped = false;
    const auto *bytes = reinterpret_cast<const unsigned char *>(m_data);
    while (m_pos < m_size) {
        const unsigned char c = bytes[m_pos];
        if (c == '"') {
            contentBegin = m_data + begin;
            contentSize = m_pos - begin;
            ++m_pos;
            return true;
        }
        if (c == '\\') {
            escaped = true;
            if (m_pos + 1 >= m_size)
                return fail("unterminated string");
            const char e = m_data[m_pos + 1];
            if (e == 'u') {
                if (m_pos + 6 > m_size)
                    return fail("bad escape");
                for (int i = 2; i < 6; ++i) {
                    if (hexValue(m_data[m_pos + i]) < 0)
                        return fail("bad escape");
                }
                m_pos += 6;
            } else {
                m_pos += 2; // an unknown escape stands for the byte itself, as in Qt's parser
            }
        } else if (c < 0x80) {
            ++m_pos;
        } else {
            const qsizetype length = utf8SequenceLength(bytes + m_pos, m_size - m_pos);
            if (length == 0)
                return fail("invalid UTF-8");
            m_pos += length;
        }
    }
    return fail("unterminated string");
}

// The content was validated by scanString, so decoding cannot fail.
bool JsonReader::decodeString(const char *begin, qsizetype size, bool escaped, QString &out) const
{
    if (!escaped) {
        out = QString::fromUtf8(begin, size);
        return true;
    }
    out.resize(size); // UTF-16 never needs more units than the UTF-8 had bytes
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    char16_t *const start = dst;
    const auto *p = reinterpret_cast<const unsigned char *>(begin);
    const auto *end = p + size;
    while (p < end) {
        const unsigned char c = *p;
        if (c == '\\') {
            const char e = char(p[1]);
            switch (e) {
            case 'b': *dst++ = u'\b'; break;
            case 'f': *dst++ = u'\f'; break;
            case 'n': *dst++ = u'\n'; break;
            case 'r': *dst++ = u'\r'; break;
            case 't': *dst++ = u'\t'; break;
            case 'u': {
                char16_t unit = 0;
                for (int i = 2; i < 6; ++i)
                    unit = char16_t(unit * 16 + hexValue(char(p[i])));
                *dst++ = unit; // surrogate pairs arrive as two escapes, in order
                p += 6;
                continue;
            }
            default: *dst++ = char16_t(static_cast<unsigned char>(e)); break; // " \ / and any other byte
            }
            p += 2;
        } else if (c < 0x80) {
            *dst++ = c;
            ++p;
        } else if (c < 0xE0) {
            *dst++ = char16_t(((c & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        } else if (c < 0xF0) {
            *dst++ = char16_t(((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            p += 3;
        } else {
            const char32_t cp = ((c & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6)
                | (p[3] & 0x3F);
            *dst++ = char16_t(0xD800 + ((cp - 0x10000) >> 10));
            *dst++ = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
            p += 4;
        }
    }
    out.truncate(dst - start);
    return true;
}

bool JsonReader::readString(QString &out)
{
    if (peek() != Kind::String)
        return false;
    const char *begin = nullptr;
    qsizetype size = 0;
    bool escaped = false;
    if (!scanString(begin, size, escaped))
        return false;
    return decodeString(begin, size, escaped, out);
}

bool JsonReader::readNumber(Number &out)
{
    if (peek() != Kind::Number)
        return false;
    // The platform parser's grammar, which is a little wider than the standard's: a leading
    // zero stands alone, but "1." and ".5" are numbers.
    const qsizetype begin = m_pos;
    if (m_data[m_pos] == '-')
        ++m_pos;
    const auto digitsFrom = [this](qsizetype from) {
        while (m_pos < m_size && m_data[m_pos] >= '0' && m_data[m_pos] <= '9')
            ++m_pos;
        return m_pos - from;
    };
    qsizetype intDigits = 0;
    if (m_pos < m_size && m_data[m_pos] == '0') {
        ++m_pos;
        intDigits = 1;
    } else {
        intDigits = digitsFrom(m_pos);
    }
    bool integral = true;
    qsizetype fracDigits = 0;
    if (m_pos < m_size && m_data[m_pos] == '.') {
        integral = false;
        ++m_pos;
        fracDigits = digitsFrom(m_pos);
    }
    if (intDigits == 0 && fracDigits == 0)
        return fail("bad number");
    if (m_pos < m_size && (m_data[m_pos] == 'e' || m_data[m_pos] == 'E')) {
        integral = false;
        ++m_pos;
        if (m_pos < m_size && (m_data[m_pos] == '+' || m_data[m_pos] == '-'))
            ++m_pos;
        if (digitsFrom(m_pos) == 0)
            return fail("bad number");
    }
    const char *first = m_data + begin;
    const char *last = m_data + m_pos;
    out = Number{};
    if (integral) {
        const auto [ptr, ec] = std::from_chars(first, last, out.integer);
        if (ec == std::errc() && ptr == last) {
            out.isInteger = true;
            out.value = double(out.integer);
            return true;
        }
    }
    // from_chars wants a digit first: "1." and ".5" are read through a canonical copy.
    QByteArray canonical;
    const char *dot = static_cast<const char *>(std::memchr(first, '.', size_t(last - first)));
    if (dot && (dot + 1 == last || dot[1] < '0' || dot[1] > '9' || dot == first || dot[-1] < '0' || dot[-1] > '9')) {
        canonical = QByteArray(first, dot - first);
        if (canonical.isEmpty() || canonical == "-")
            canonical += '0';
        canonical += '.';
        if (dot + 1 == last || dot[1] < '0' || dot[1] > '9')
            canonical += '0';
        canonical += QByteArray(dot + 1, last - dot - 1);
        first = canonical.constData();
        last = first + canonical.size();
    }
    const auto [ptr, ec] = std::from_chars(first, last, out.value);
    if (ptr != last || ec != std::errc() || !std::isfinite(out.value))
        return fail("number out of range"); // as the platform parser: no infinities, no underflow
    return true;
}

bool JsonReader::readBool(bool &out)
{
    if (peek() != Kind::Bool)
        return false;
    if (m_size - m_pos >= 4 && std::memcmp(m_data + m_pos, "true", 4) == 0) {
        m_pos += 4;
        out = true;
        return true;
    }
    if (m_size - m_pos >= 5 && std::memcmp(m_data + m_pos, "false", 5) == 0) {
        m_pos += 5;
        out = false;
        return true;
    }
    return fail("bad literal");
}

bool JsonReader::readNull()
{
    if (peek() != Kind::Null)
        return false;
    if (m_size - m_pos >= 4 && std::memcmp(m_data + m_pos, "null", 4) == 0) {
        m_pos += 4;
        return true;
    }
    return fail("bad literal");
}

bool JsonReader::skipContainer()
{
    const bool object = peek() == Kind::Object;
    if (object ? !enterObject() : !enterArray())
        return false;
    for (;;) {
        const bool more = object ? nextMember() : nextElement();
        if (!more)
            return !m_failed;
        if (!skipValue())
            return false;
    }
}

bool JsonReader::skipValue()
{
    switch (peek()) {
    case Kind::Object:
    case Kind::Array:
        return skipContainer();
    case Kind::String: {
        const char *begin = nullptr;
        qsizetype size = 0;
        bool escaped = false;
        return scanString(begin, size, escaped);
    }
    case Kind::Number: {
        Number n;
        return readNumber(n);
    }
    case Kind::Bool: {
        bool b = false;
        return readBool(b);
    }
    case Kind::Null:
        return readNull();
    case Kind::Invalid:
        break;
    }
    return fail(m_pos >= m_size ? "unexpected end" : "unexpected character");
}

bool JsonReader::atEnd()
{
    skipSpace();
    return !m_failed && m_pos == m_size;
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
