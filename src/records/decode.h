#pragma once

// The one decoding engine for everything the service sends.
//
// A record declares its fields once, as a tuple returned by `static auto schema()`:
//
//     static auto schema() {
//         return std::tuple{optional("user_id", &VexaUser::userID), required("id", &VexaModel::id)};
//     }
//
// The engine walks that table. Its rules: keys the record does not list are ignored; an optional
// field is empty when its key is absent or null, and otherwise must have the field's JSON type;
// a required field must be present, non-null and of its type; nothing is converted (no "12" for
// 12, no 0/1 for booleans); a bad value anywhere fails the whole outermost value, with the path
// of the offending value (`models[2].is_available`). Numbers: an integer field takes a JSON
// number with an integral value that fits in 64 bits (42 and 42.0 alike).
//
// Two sources feed the same tables: reply bytes, read in one pass by JsonReader (no document is
// built), and an already parsed QJsonObject (the code projects' stored entries). A reply that
// names one of a record's keys twice is refused: which copy would win is not something the
// client should guess.

#include "expected.h"
#include "jsonreader.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QString>

#include <array>
#include <optional>
#include <tuple>
#include <type_traits>

namespace vexa::records {

struct DecodeError {
    QString path;   // e.g. "state.models[2].is_available"; empty for the top level
    QString reason; // e.g. "expected a boolean", "missing"

    QString describe() const;
    // Prefixes one step of the path while the failure travels outwards.
    void prependKey(QLatin1StringView key);
    void prependIndex(qsizetype index);
};

template <typename T>
using Decoded = Expected<T, DecodeError>;

template <typename T, typename = void>
struct Codec;

template <typename T>
concept HasSchema = requires { T::schema(); };

namespace detail {
bool fail(DecodeError &error, const char *reason);
// A syntax error ends everything, whatever leniency a field has.
bool syntaxFail(JsonReader &reader, DecodeError &error);
// True for a JSON number with an integral value representable as qint64.
bool readInteger(const QJsonValue &value, qint64 &out);
} // namespace detail

// Value codecs: how one JSON value becomes one C++ value, from either source. On a type
// mismatch `read` returns false without consuming the value; callers that carry on (lenient
// fields) skip what is left of it.
template <>
struct Codec<bool> {
    static bool decode(const QJsonValue &v, bool &out, DecodeError &e)
    {
        if (!v.isBool())
            return detail::fail(e, "expected a boolean");
        out = v.toBool();
        return true;
    }
    static bool read(JsonReader &r, bool &out, DecodeError &e)
    {
        return r.readBool(out) || detail::fail(e, "expected a boolean");
    }
};

template <>
struct Codec<qint64> {
    static bool decode(const QJsonValue &v, qint64 &out, DecodeError &e)
    {
        return detail::readInteger(v, out) || detail::fail(e, "expected an integer");
    }
    static bool read(JsonReader &r, qint64 &out, DecodeError &e)
    {
        JsonReader::Number n;
        return (r.readNumber(n) && readIntegerNumber(n, out)) || detail::fail(e, "expected an integer");
    }
};

template <>
struct Codec<double> {
    static bool decode(const QJsonValue &v, double &out, DecodeError &e)
    {
        if (!v.isDouble())
            return detail::fail(e, "expected a number");
        out = v.toDouble();
        return true;
    }
    static bool read(JsonReader &r, double &out, DecodeError &e)
    {
        JsonReader::Number n;
        if (!r.readNumber(n))
            return detail::fail(e, "expected a number");
        out = n.value;
        return true;
    }
};

template <>
struct Codec<QString> {
    static bool decode(const QJsonValue &v, QString &out, DecodeError &e)
    {
        if (!v.isString())
            return detail::fail(e, "expected a string");
        out = v.toString();
        return true;
    }
    static bool read(JsonReader &r, QString &out, DecodeError &e)
    {
        return r.readString(out) || detail::fail(e, "expected a string");
    }
};

// A JSON object whose values are all strings.
template <>
struct Codec<QMap<QString, QString>> {
    static bool decode(const QJsonValue &v, QMap<QString, QString> &out, DecodeError &e);
    static bool read(JsonReader &r, QMap<QString, QString> &out, DecodeError &e);
};

template <typename T>
struct Codec<QList<T>> {
    static bool decode(const QJsonValue &v, QList<T> &out, DecodeError &e)
    {
        if (!v.isArray())
            return detail::fail(e, "expected an array");
        const QJsonArray array = v.toArray();
        out.clear();
        out.reserve(array.size());
        qsizetype index = 0;
        for (const QJsonValueConstRef item : array) {
            T element{};
            if (!Codec<T>::decode(item, element, e)) {
                e.prependIndex(index);
                return false;
            }
            out.append(std::move(element));
            ++index;
        }
        return true;
    }
    static bool read(JsonReader &r, QList<T> &out, DecodeError &e)
    {
        if (!r.enterArray())
            return r.failed() ? detail::syntaxFail(r, e) : detail::fail(e, "expected an array");
        out.clear();
        qsizetype index = 0;
        while (r.nextElement()) {
            T &element = out.emplace_back();
            if (!Codec<T>::read(r, element, e)) {
                e.prependIndex(index);
                return false;
            }
            ++index;
        }
        return !r.failed() || detail::syntaxFail(r, e);
    }
};

template <HasSchema T>
bool decodeFields(const QJsonObject &object, T &out, DecodeError &e)
{
    return std::apply([&](const auto &...field) { return (field.decode(object, out, e) && ...); },
                      T::schema());
}

// Reads one object's members in the order they arrive, each into its field; then settles the
// fields that never came (absent optional: empty; absent required: failure).
template <HasSchema T>
bool readFields(JsonReader &r, T &out, DecodeError &e)
{
    if (!r.enterObject())
        return r.failed() ? detail::syntaxFail(r, e) : detail::fail(e, "expected an object");
    const auto fields = T::schema();
    constexpr std::size_t count = std::tuple_size_v<std::remove_const_t<decltype(fields)>>;
    std::array<bool, count> seen{};
    while (r.nextMember()) {
        bool matched = false;
        bool ok = true;
        std::size_t index = 0;
        const auto tryField = [&](const auto &field) {
            const std::size_t i = index++;
            if (matched || !r.keyIs(field.key))
                return;
            matched = true;
            if (seen[i]) {
                detail::fail(e, "repeated key");
                e.prependKey(field.key);
                ok = false;
                return;
            }
            seen[i] = true;
            ok = field.read(r, out, e);
        };
        std::apply([&](const auto &...field) { (tryField(field), ...); }, fields);
        if (!ok)
            return false;
        if (!matched && !r.skipValue())
            return detail::syntaxFail(r, e);
    }
    if (r.failed())
        return detail::syntaxFail(r, e);
    std::size_t index = 0;
    return std::apply([&](const auto &...field) { return ((seen[index++] || field.absent(out, e)) && ...); },
                      fields);
}

template <typename T>
struct Codec<T, std::enable_if_t<HasSchema<T>>> {
    static bool decode(const QJsonValue &v, T &out, DecodeError &e)
    {
        if (!v.isObject())
            return detail::fail(e, "expected an object");
        return decodeFields(v.toObject(), out, e);
    }
    static bool read(JsonReader &r, T &out, DecodeError &e) { return readFields(r, out, e); }
};

// Field kinds. Each knows its key and member, reads itself from either source, and says what
// its absence means.
namespace field {

template <typename R, typename M>
struct Required {
    QLatin1StringView key;
    M R::*member;

    bool decode(const QJsonObject &object, R &out, DecodeError &e) const
    {
        const QJsonValue v = object.value(key);
        if (v.isUndefined() || v.isNull())
            return absent(out, e);
        if (!Codec<M>::decode(v, out.*member, e)) {
            e.prependKey(key);
            return false;
        }
        return true;
    }
    bool read(JsonReader &r, R &out, DecodeError &e) const
    {
        if (r.peek() == JsonReader::Kind::Null)
            return absent(out, e);
        if (!Codec<M>::read(r, out.*member, e)) {
            e.prependKey(key);
            return false;
        }
        return true;
    }
    bool absent(R &, DecodeError &e) const
    {
        detail::fail(e, "missing");
        e.prependKey(key);
        return false;
    }
};

template <typename R, typename M>
struct Optional {
    QLatin1StringView key;
    std::optional<M> R::*member;

    bool decode(const QJsonObject &object, R &out, DecodeError &e) const
    {
        const QJsonValue v = object.value(key);
        if (v.isUndefined() || v.isNull())
            return absent(out, e);
        M value{};
        if (!Codec<M>::decode(v, value, e)) {
            e.prependKey(key);
            return false;
        }
        out.*member = std::move(value);
        return true;
    }
    bool read(JsonReader &r, R &out, DecodeError &e) const
    {
        if (r.peek() == JsonReader::Kind::Null) {
            r.readNull();
            return absent(out, e);
        }
        M &value = (out.*member).emplace();
        if (!Codec<M>::read(r, value, e)) {
            e.prependKey(key);
            return false;
        }
        return true;
    }
    bool absent(R &out, DecodeError &) const
    {
        (out.*member).reset();
        return true;
    }
};

// Lenient: a value that is missing, null or unreadable in any way gives `fallback`. One bad item
// in a list therefore replaces the whole list.
template <typename R, typename M>
struct Fallback {
    QLatin1StringView key;
    M R::*member;
    M (*fallback)();

    bool decode(const QJsonObject &object, R &out, DecodeError &) const
    {
        DecodeError ignored;
        if (!Codec<M>::decode(object.value(key), out.*member, ignored))
            out.*member = fallback();
        return true;
    }
    bool read(JsonReader &r, R &out, DecodeError &e) const
    {
        const JsonReader::Position start = r.position();
        DecodeError ignored;
        if (Codec<M>::read(r, out.*member, ignored))
            return true;
        if (r.failed() || !r.skipRest(start))
            return detail::syntaxFail(r, e);
        out.*member = fallback();
        return true;
    }
    bool absent(R &out, DecodeError &) const
    {
        out.*member = fallback();
        return true;
    }
};

// An identifier the service sends as a string or as an integer (kept as its decimal text).
// Required: anything else fails the record. Optional: anything else gives no value.
template <typename R, typename Member, bool IsRequired>
struct Identifier {
    QLatin1StringView key;
    Member R::*member;

    static std::optional<QString> fromValue(const QJsonValue &v)
    {
        if (v.isString())
            return v.toString();
        qint64 number = 0;
        if (detail::readInteger(v, number))
            return QString::number(number);
        return std::nullopt;
    }

    bool decode(const QJsonObject &object, R &out, DecodeError &e) const
    {
        if (auto id = fromValue(object.value(key))) {
            out.*member = std::move(*id);
            return true;
        }
        return absent(out, e);
    }
    bool read(JsonReader &r, R &out, DecodeError &e) const
    {
        QString text;
        JsonReader::Number number;
        qint64 integer = 0;
        switch (r.peek()) {
        case JsonReader::Kind::String:
            if (!r.readString(text))
                return detail::syntaxFail(r, e);
            out.*member = std::move(text);
            return true;
        case JsonReader::Kind::Number:
            if (!r.readNumber(number))
                return detail::syntaxFail(r, e);
            if (readIntegerNumber(number, integer)) {
                out.*member = QString::number(integer);
                return true;
            }
            return absent(out, e);
        default:
            if (!r.skipValue())
                return detail::syntaxFail(r, e);
            return absent(out, e);
        }
    }
    bool absent(R &out, DecodeError &e) const
    {
        if constexpr (IsRequired) {
            detail::fail(e, "expected a string or an integer");
            e.prependKey(key);
            return false;
        } else {
            out.*member = std::nullopt;
            return true;
        }
    }
};

template <typename R, typename M>
constexpr Required<R, M> required(const char *key, M R::*member)
{
    return {QLatin1StringView(key), member};
}

template <typename R, typename M>
constexpr Optional<R, M> optional(const char *key, std::optional<M> R::*member)
{
    return {QLatin1StringView(key), member};
}

template <typename R, typename M>
constexpr Fallback<R, M> fallback(const char *key, M R::*member, M (*value)())
{
    return {QLatin1StringView(key), member, value};
}

template <typename R>
constexpr Identifier<R, QString, true> identifier(const char *key, QString R::*member)
{
    return {QLatin1StringView(key), member};
}

template <typename R>
constexpr Identifier<R, std::optional<QString>, false> optionalIdentifier(const char *key,
                                                                          std::optional<QString> R::*member)
{
    return {QLatin1StringView(key), member};
}

} // namespace field

// Decodes a record from an already parsed JSON object.
template <HasSchema T>
Decoded<T> decodeObject(const QJsonObject &object)
{
    T out{};
    DecodeError error;
    if (!decodeFields(object, out, error))
        return error;
    return out;
}

// Decodes a record from a reply body: one JSON object and nothing after it.
template <HasSchema T>
Decoded<T> decodeJson(const QByteArray &bytes)
{
    JsonReader reader(bytes);
    T out{};
    DecodeError error;
    if (!readFields(reader, out, error))
        return error;
    if (!reader.atEnd()) {
        reader.skipValue(); // records the position of the stray text
        detail::syntaxFail(reader, error);
        return error;
    }
    return out;
}

} // namespace vexa::records
