#include "decode.h"

namespace vexa::records {

QString DecodeError::describe() const
{
    return path.isEmpty() ? reason : path + QLatin1String(": ") + reason;
}

void DecodeError::prependKey(QLatin1StringView key)
{
    if (path.isEmpty())
        path = key;
    else if (path.startsWith(QLatin1Char('[')))
        path = key + path;
    else
        path = key + QLatin1Char('.') + path;
}

void DecodeError::prependIndex(qsizetype index)
{
    const QString step = QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
    if (path.isEmpty() || path.startsWith(QLatin1Char('[')))
        path = step + path;
    else
        path = step + QLatin1Char('.') + path;
}

namespace detail {

bool fail(DecodeError &error, const char *reason)
{
    error.path.clear();
    error.reason = QLatin1String(reason);
    return false;
}

bool syntaxFail(JsonReader &reader, DecodeError &error)
{
    error.path.clear();
    error.reason = QLatin1String("not JSON: ") + reader.errorText();
    return false;
}

bool readInteger(const QJsonValue &value, qint64 &out)
{
    if (!value.isDouble())
        return false;
    // toInteger() falls back to its argument when the number is not an exact qint64; two
    // different fallbacks tell a real integer from a fraction or an out-of-range value.
    const qint64 a = value.toInteger(0);
    const qint64 b = value.toInteger(1);
    if (a != b)
        return false;
    out = a;
    return true;
}

} // namespace detail

bool Codec<QMap<QString, QString>>::decode(const QJsonValue &v, QMap<QString, QString> &out,
                                           DecodeError &e)
{
    if (!v.isObject())
        return detail::fail(e, "expected an object of strings");
    const QJsonObject object = v.toObject();
    out.clear();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!it.value().isString()) {
            detail::fail(e, "expected a string");
            e.path = it.key();
            return false;
        }
        out.insert(it.key(), it.value().toString());
    }
    return true;
}

bool Codec<QMap<QString, QString>>::read(JsonReader &r, QMap<QString, QString> &out, DecodeError &e)
{
    if (!r.enterObject())
        return r.failed() ? detail::syntaxFail(r, e) : detail::fail(e, "expected an object of strings");
    out.clear();
    while (r.nextMember()) {
        QString value;
        if (!r.readString(value)) {
            const QString key = r.key();
            if (!r.failed())
                detail::fail(e, "expected a string");
            else
                detail::syntaxFail(r, e);
            e.path = key;
            return false;
        }
        out.insert(r.key(), std::move(value));
    }
    return !r.failed() || detail::syntaxFail(r, e);
}

} // namespace vexa::records
