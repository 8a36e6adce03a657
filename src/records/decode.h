#pragma once

// The one decoding engine for everything the service sends.
//
// A record declares its fields once, as a tuple returned by `static auto schema()`:
//
//     static auto schema() {
//         using namespace vexa::records::field;
//         return std::tuple{optional("user_id", &VexaUser::userID), required("id", &VexaModel::id)};
//     }
//
// The engine walks that table. Its rules: keys the record does not list are ignored; an optional
// field is empty when its key is absent or null, and otherwise must have the field's JSON type;
// a required field must be present, non-null and of its type; nothing is converted (no "12" for
// 12, no 0/1 for booleans); a bad value anywhere fails the whole outermost value, with the path
// of the offending value (`models[2].is_available`). Numbers: an integer field takes a JSON
// number with an integral value that fits in 64 bits (the parser keeps 42 and 42.0 as integers).
//
// The JSON parser is touched only here and in decodeJson(), so replacing it is a local change.

#include "expected.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QString>

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

// Value codecs: how one JSON value becomes one C++ value. Records (types with schema()) and
// lists of decodable values are handled generically below.
template <typename T, typename = void>
struct Codec;

template <typename T>
concept HasSchema = requires { T::schema(); };

namespace detail {
bool fail(DecodeError &error, const char *reason);
// True for a JSON number with an integral value representable as qint64.
bool readInteger(const QJsonValue &value, qint64 &out);
} // namespace detail

template <>
struct Codec<bool> {
    static bool decode(const QJsonValue &v, bool &out, DecodeError &e)
    {
        if (!v.isBool())
            return detail::fail(e, "expected a boolean");
        out = v.toBool();
        return true;
    }
};

template <>
struct Codec<qint64> {
    static bool decode(const QJsonValue &v, qint64 &out, DecodeError &e)
    {
        if (!detail::readInteger(v, out))
            return detail::fail(e, "expected an integer");
        return true;
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
};

// A JSON object whose values are all strings.
template <>
struct Codec<QMap<QString, QString>> {
    static bool decode(const QJsonValue &v, QMap<QString, QString> &out, DecodeError &e);
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
};

template <HasSchema T>
bool decodeFields(const QJsonObject &object, T &out, DecodeError &e)
{
    return std::apply([&](const auto &...field) { return (field.decode(object, out, e) && ...); },
                      T::schema());
}

template <typename T>
struct Codec<T, std::enable_if_t<HasSchema<T>>> {
    static bool decode(const QJsonValue &v, T &out, DecodeError &e)
    {
        if (!v.isObject())
            return detail::fail(e, "expected an object");
        return decodeFields(v.toObject(), out, e);
    }
};

// Field kinds. Each knows its key and member and decodes itself from the enclosing object.
namespace field {

template <typename R, typename M>
struct Required {
    QLatin1StringView key;
    M R::*member;

    bool decode(const QJsonObject &object, R &out, DecodeError &e) const
    {
        const QJsonValue v = object.value(key);
        if (v.isUndefined() || v.isNull()) {
            detail::fail(e, "missing");
            e.prependKey(key);
            return false;
        }
        if (!Codec<M>::decode(v, out.*member, e)) {
            e.prependKey(key);
            return false;
        }
        return true;
    }
};

template <typename R, typename M>
struct Optional {
    QLatin1StringView key;
    std::optional<M> R::*member;

    bool decode(const QJsonObject &object, R &out, DecodeError &e) const
    {
        const QJsonValue v = object.value(key);
        if (v.isUndefined() || v.isNull()) {
            (out.*member).reset();
            return true;
        }
        M value{};
        if (!Codec<M>::decode(v, value, e)) {
            e.prependKey(key);
            return false;
        }
        out.*member = std::move(value);
        return true;
    }
};

// A field with its own reading rule: `read(value, member, error)` gets the raw value (undefined
// when the key is absent) and decides. Used for the few lenient fields of the chat list.
template <typename R, typename M, typename Read>
struct Custom {
    QLatin1StringView key;
    M R::*member;
    Read read;

    bool decode(const QJsonObject &object, R &out, DecodeError &e) const
    {
        if (!read(object.value(key), out.*member, e)) {
            e.prependKey(key);
            return false;
        }
        return true;
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

template <typename R, typename M, typename Read>
constexpr Custom<R, M, Read> custom(const char *key, M R::*member, Read read)
{
    return {QLatin1StringView(key), member, read};
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

// Parses a reply body and decodes a record from its top-level object.
Expected<QJsonObject, DecodeError> parseObject(const QByteArray &bytes);

template <HasSchema T>
Decoded<T> decodeJson(const QByteArray &bytes)
{
    auto object = parseObject(bytes);
    if (!object)
        return object.error();
    return decodeObject<T>(*object);
}

} // namespace vexa::records
