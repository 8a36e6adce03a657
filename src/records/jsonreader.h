#pragma once

// A pull reader over UTF-8 JSON bytes: the decoding engine reads replies straight into records
// without building a document first (a 20 MB chat list would otherwise exist twice in memory).
//
// Underneath is simdjson's On-Demand parser: one vectorised pass finds the structure and checks
// the UTF-8, then values are read in document order as the engine asks for them. The syntax is
// strict JSON plus a leading byte-order mark; anything Qt's parser refuses is refused here too
// (numbers out of a double's range, nesting deeper than kMaxDepth, invalid UTF-8). Qt's parser
// is more lenient in a few places the service never uses ("1.", ".5", unknown escapes such as
// "\a"); those replies are refused. Values the engine does not read are still checked: skipping
// walks them in full, so a syntax error anywhere fails the reply. Any syntax error is final.

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>

#include <memory>

namespace vexa::records {

class JsonReader
{
public:
    static constexpr int kMaxDepth = 1024;
    // Spare capacity after the text that lets the reader read a buffer where it lies instead of
    // copying it first (the parser reads ahead in blocks); reply buffers are reserved with it.
    static constexpr qsizetype kRoomToReadInPlace = 64;

    enum class Kind { Object, Array, String, Number, Bool, Null, Invalid };

    struct Number {
        bool isInteger = false; // written without fraction or exponent and fits in 64 bits
        qint64 integer = 0;
        double value = 0;       // always set
    };

    explicit JsonReader(const QByteArray &bytes);
    ~JsonReader();
    JsonReader(const JsonReader &) = delete;
    JsonReader &operator=(const JsonReader &) = delete;

    // Kind of the next value; Invalid at a syntax error, or when no value is waiting to be read.
    Kind peek();

    // Objects: enterObject() consumes '{'; then nextMember() reads `"key":` and returns true,
    // or consumes '}' and returns false (check failed() to tell the end from an error). A member
    // whose value was not read is skipped (and checked) by the next nextMember().
    bool enterObject();
    bool nextMember();
    // The last key read by nextMember(), compared without allocating.
    bool keyIs(QLatin1StringView name) const;
    QString key() const;

    // Arrays: enterArray() consumes '['; nextElement() returns true while a value follows.
    bool enterArray();
    bool nextElement();

    // On a value of another kind these return false without consuming it and without failing.
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

    // How lenient fields give up on a value half read: remember where it began, try, and on
    // failure consume whatever is left of it (containers opened since are finished, a value
    // never read is skipped), checking the syntax of all of it.
    struct Position {
        qsizetype depth;
    };
    Position position() const;
    bool skipRest(const Position &start);

private:
    struct Impl;
    bool fail(const char *what);
    Kind kindOfNext();

    std::unique_ptr<Impl> d;
    bool m_failed = false;
    const char *m_error = nullptr;
    qsizetype m_errorOffset = -1;
};

// A number as a 64-bit integer: written as one, or a fraction-free value that fits exactly.
bool readIntegerNumber(const JsonReader::Number &number, qint64 &out);

} // namespace vexa::records
