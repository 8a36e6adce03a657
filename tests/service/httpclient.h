#pragma once

// Small blocking-style HTTP helper for the service tests: real loopback HTTP through
// QNetworkAccessManager, waiting with the support code's bounded event-loop spin.

#include "awaittask.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrl>

#include <memory>

namespace vexa::test {

struct HttpResult {
    bool finished = false;
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QList<QNetworkReply::RawHeaderPair> headers;
    qint64 elapsedMs = 0;

    QByteArray header(const QByteArray &name) const
    {
        for (const auto &h : headers) {
            if (h.first.compare(name, Qt::CaseInsensitive) == 0)
                return h.second;
        }
        return {};
    }
    QList<QByteArray> headerValues(const QByteArray &name) const
    {
        QList<QByteArray> out;
        for (const auto &h : headers) {
            if (h.first.compare(name, Qt::CaseInsensitive) == 0)
                out.append(h.second);
        }
        return out;
    }
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    bool isJsonObject() const { return QJsonDocument::fromJson(body).isObject(); }
};

// One pending request; finish() waits for it.
class PendingHttp
{
public:
    PendingHttp(QNetworkReply *reply)
        : m_reply(reply)
        , m_result(std::make_shared<HttpResult>())
    {
        m_timer.start();
        auto result = m_result;
        QElapsedTimer timer = m_timer;
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, result, timer] {
            result->finished = true;
            result->elapsedMs = timer.elapsed();
            result->status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            result->error = reply->error();
            if (reply->isOpen())
                result->body = reply->readAll();
            result->headers = reply->rawHeaderPairs();
            reply->deleteLater();
        });
    }

    bool isFinished() const { return m_result->finished; }
    void abort()
    {
        if (m_reply)
            m_reply->abort();
    }
    HttpResult finish(int timeoutMs = 10000)
    {
        waitUntil([this] { return m_result->finished; }, timeoutMs);
        return *m_result;
    }

private:
    QPointer<QNetworkReply> m_reply;
    std::shared_ptr<HttpResult> m_result;
    QElapsedTimer m_timer;
};

class HttpClient
{
public:
    explicit HttpClient(const QUrl &base)
        : m_base(base)
    {
        m_nam.setProxy(QNetworkProxy::NoProxy);
    }

    QNetworkAccessManager &nam() { return m_nam; }
    QUrl url(const QString &pathAndQuery) const
    {
        return m_base.resolved(QUrl(pathAndQuery));
    }

    PendingHttp start(const QByteArray &method, const QString &pathAndQuery,
                      const QByteArray &body = {},
                      const QList<QPair<QByteArray, QByteArray>> &headers = {})
    {
        QNetworkRequest request(url(pathAndQuery));
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        request.setTransferTimeout(scaledMs(15000));
        if (!body.isEmpty())
            request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        for (const auto &h : headers)
            request.setRawHeader(h.first, h.second);
        QNetworkReply *reply = body.isEmpty() && method == "GET"
                                   ? m_nam.get(request)
                                   : m_nam.sendCustomRequest(request, method, body);
        return PendingHttp(reply);
    }

    HttpResult send(const QByteArray &method, const QString &pathAndQuery,
                    const QByteArray &body = {},
                    const QList<QPair<QByteArray, QByteArray>> &headers = {})
    {
        return start(method, pathAndQuery, body, headers).finish();
    }
    HttpResult get(const QString &path) { return send("GET", path); }
    HttpResult postJson(const QString &path, const QJsonObject &object)
    {
        return send("POST", path, QJsonDocument(object).toJson(QJsonDocument::Compact));
    }
    HttpResult signIn(const QString &code)
    {
        return postJson(QStringLiteral("/api/web/sync"), QJsonObject{{QStringLiteral("code"), code}});
    }

    // The value of a cookie the jar holds for the base URL, or empty.
    QByteArray cookie(const QByteArray &name) const
    {
        const auto cookies = m_nam.cookieJar()->cookiesForUrl(m_base);
        for (const QNetworkCookie &c : cookies) {
            if (c.name() == name)
                return c.value();
        }
        return {};
    }
    void setCookie(const QByteArray &name, const QByteArray &value)
    {
        QNetworkCookie c(name, value);
        c.setPath(QStringLiteral("/"));
        m_nam.cookieJar()->setCookiesFromUrl({c}, m_base);
    }

private:
    QUrl m_base;
    QNetworkAccessManager m_nam;
};

} // namespace vexa::test
