#include "router.h"

#include <QJsonDocument>
#include <QUrl>

namespace vexa::service {

// ---- ApiResponse ----------------------------------------------------------------------------

ApiResponse ApiResponse::json(const QJsonObject &object, int status)
{
    ApiResponse r;
    r.status = status;
    r.headers.append({QByteArrayLiteral("Content-Type"),
                      QByteArrayLiteral("application/json; charset=utf-8")});
    r.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return r;
}

ApiResponse ApiResponse::ok(const QJsonObject &members)
{
    QJsonObject object = members;
    object.insert(QStringLiteral("ok"), true);
    return json(object);
}

ApiResponse ApiResponse::error(int status, const QString &message)
{
    return json(QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), message}},
                status);
}

ApiResponse ApiResponse::raw(int status, const QByteArray &contentType, const QByteArray &body)
{
    ApiResponse r;
    r.status = status;
    r.headers.append({QByteArrayLiteral("Content-Type"), contentType});
    r.body = body;
    return r;
}

ApiResponse &ApiResponse::withHeader(const QByteArray &name, const QByteArray &value)
{
    headers.append({name, value});
    return *this;
}

QByteArray ApiResponse::header(const QByteArray &lowerCaseName) const
{
    for (const auto &h : headers) {
        if (h.first.toLower() == lowerCaseName)
            return h.second;
    }
    return {};
}

// ---- ApiRequest -----------------------------------------------------------------------------

QString ApiRequest::param(const QString &name) const
{
    return params.value(name);
}

qint64 ApiRequest::intParam(const QString &name) const
{
    return params.value(name).toLongLong();
}

QUrlQuery ApiRequest::query() const
{
    return QUrlQuery(raw.query);
}

std::optional<QJsonObject> ApiRequest::jsonObject() const
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(raw.body, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

std::optional<QByteArray> ApiRequest::cookie(const QByteArray &name) const
{
    // Several Cookie headers may arrive; each holds "a=b; c=d".
    for (const auto &h : raw.headers) {
        if (h.first != "cookie")
            continue;
        const QList<QByteArray> pairs = h.second.split(';');
        for (const QByteArray &pair : pairs) {
            const qsizetype eq = pair.indexOf('=');
            if (eq < 0)
                continue;
            if (pair.left(eq).trimmed() == name)
                return pair.mid(eq + 1).trimmed();
        }
    }
    return std::nullopt;
}

// ---- Reply ----------------------------------------------------------------------------------

Reply::Reply(Sender sender)
    : d(std::make_shared<State>())
{
    d->sender = std::move(sender);
}

void Reply::send(const ApiResponse &response) const
{
    if (d->sent)
        return;
    d->sent = true;
    if (d->sender)
        d->sender(response);
    d->sender = nullptr; // drop what the sender holds (the responder) as soon as possible
}

bool Reply::isSent() const
{
    return d->sent;
}

// ---- Router ---------------------------------------------------------------------------------

QStringList decodedSegments(const QString &encodedPath)
{
    const QStringList parts = encodedPath.split(QLatin1Char('/'));
    QStringList out;
    out.reserve(parts.size());
    for (const QString &part : parts)
        out.append(QUrl::fromPercentEncoding(part.toUtf8()));
    return out;
}

void Router::add(const QByteArray &method, const QString &pattern, Handler handler, Access access)
{
    addAsync(method, pattern,
             [handler = std::move(handler)](const ApiRequest &request, Reply reply) {
                 reply.send(handler(request));
             },
             access);
}

void Router::addAsync(const QByteArray &method, const QString &pattern, AsyncHandler handler,
                      Access access)
{
    Route route;
    route.method = method.toUpper();
    route.pattern = pattern;
    route.access = access;
    route.handler = std::move(handler);
    const QStringList parts = pattern.split(QLatin1Char('/'));
    for (const QString &part : parts) {
        Segment segment;
        if (part.size() > 2 && part.startsWith(QLatin1Char('{')) && part.endsWith(QLatin1Char('}'))) {
            const QString inner = part.mid(1, part.size() - 2);
            const qsizetype colon = inner.indexOf(QLatin1Char(':'));
            if (colon >= 0) {
                segment.text = inner.left(colon);
                const QString type = inner.mid(colon + 1);
                Q_ASSERT_X(type == QLatin1String("int"), "Router::add", "unknown parameter type");
                segment.kind = Segment::Integer;
            } else {
                segment.text = inner;
                segment.kind = Segment::String;
            }
            route.exact = false;
        } else {
            segment.text = part;
        }
        route.segments.append(segment);
    }
    m_routes.append(std::move(route));
}

bool Router::matchSegments(const Route &route, const QStringList &segments,
                           QHash<QString, QString> *params)
{
    if (route.segments.size() != segments.size())
        return false;
    QHash<QString, QString> found;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const Segment &seg = route.segments.at(i);
        const QString &text = segments.at(i);
        switch (seg.kind) {
        case Segment::Literal:
            if (seg.text != text)
                return false;
            break;
        case Segment::String:
            if (text.isEmpty())
                return false;
            found.insert(seg.text, text);
            break;
        case Segment::Integer: {
            if (text.isEmpty() || text.size() > 18)
                return false;
            for (const QChar c : text) {
                if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                    return false;
            }
            found.insert(seg.text, text);
            break;
        }
        }
    }
    if (params)
        *params = std::move(found);
    return true;
}

Router::Match Router::match(const QByteArray &method, const QString &encodedPath) const
{
    const QStringList segments = decodedSegments(encodedPath);
    const QByteArray upper = method.toUpper();
    Match result;

    // Two passes: exact routes first, then patterns in registration order.
    for (int pass = 0; pass < 2; ++pass) {
        const bool exactPass = pass == 0;
        for (const Route &route : m_routes) {
            if (route.exact != exactPass)
                continue;
            QHash<QString, QString> params;
            if (!matchSegments(route, segments, &params))
                continue;
            if (route.method != upper) {
                if (!result.allowedMethods.contains(QString::fromLatin1(route.method)))
                    result.allowedMethods.append(QString::fromLatin1(route.method));
                continue;
            }
            result.kind = Match::Found;
            result.handler = &route.handler;
            result.access = route.access;
            result.params = std::move(params);
            return result;
        }
    }
    result.kind = result.allowedMethods.isEmpty() ? Match::UnknownPath : Match::WrongMethod;
    return result;
}

} // namespace vexa::service
