#pragma once

// A pull reader over UTF-8 JSON bytes: the decoding engine reads replies straight into records
// without building a document first (a 20 MB chat list would otherwise exist twice in memory).
// It accepts what Qt's own parser accepts, so that both ways of decoding agree: standard JSON
// plus a leading byte-order mark, raw control characters and unknown escapes in strings, and
// numbers such as "1." and ".5". Strings must be valid UTF-8; nesting is at most kMaxDepth deep.
// Any syntax error is final.

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>

namespace vexa::records {

class JsonReader
{
public:
    static constexpr int kMaxDepth = 1024;

    enum class Kind { Object, Array, String, Number, Bool, Null, Invalid };

    struct Number {
        bool isInteger = false; // written without fraction or exponent and fits in 64 bits
        qint64 integer = 0;
        double value = 0;       // always set
    };

    explicit JsonReader(const QByteArray &bytes);

    // Kind of the next value (skips white space first); Invalid at a syntax error or the end.
    Kind peek();

    // Objects: enterObject() consumes '{'; then nextMember() reads `"key":` and returns true,
    // or consumes '}' and returns false (check failed() to tell the end from an error).
    bool enterObject();
    bool nextMember();
    // The last key read by nextMember(); compared without allocating when it has no escapes.
    bool keyIs(QLatin1StringView name) const;
    QString key() const;

    // Arrays: enterArray() consumes '['; nextElement() returns true while a value follows.
    bool enterArray();
    bool nextElement();

    bool readString(QString &out);
    bool readNumber(Number &out);
    bool readBool(bool &out);
    bool readNull();
    // Consumes one value of any kind, checking its syntax.
    bool skipValue();

    // After the top-level value: only white space may follow.
    bool atEnd();

    bool failed() const { return m_failed; }
    QString errorText() const;

    // Rewinding is how lenient fields retry: remember, try, go back and skip.
    struct Position {
        qsizetype offset;
        int depth;
        bool firstInContainer;
    };
    Position position() const { return {m_pos, m_depth, m_first}; }
    void rewind(const Position &p)
    {
        m_pos = p.offset;
        m_depth = p.depth;
        m_first = p.firstInContainer;
    }

private:
    void skipSpace();
    bool fail(const char *what);
    // The shared half of objects and arrays: '{' or '[' consumed, and whether another item
    // follows (its separator consumed) or the container closed.
    bool enterContainer(Kind kind);
    bool nextItem(char close, const char *unterminated, const char *badSeparator);
    bool expect(char c);
    bool scanString(const char *&contentBegin, qsizetype &contentSize, bool &escaped);
    bool decodeString(const char *begin, qsizetype size, bool escaped, QString &out) const;
    bool skipContainer();

    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    int m_depth = 0;
    bool m_first = false; // at the first member/element of the innermost container
    bool m_failed = false;
    const char *m_error = nullptr;

    const char *m_keyBegin = nullptr;
    qsizetype m_keySize = 0;
    bool m_keyEscaped = false;
};

// A number as a 64-bit integer: written as one, or a fraction-free value that fits exactly.
bool readIntegerNumber(const JsonReader::Number &number, qint64 &out);

} // namespace vexa::records
