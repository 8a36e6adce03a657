#pragma once

// A signed-in client against an in-process local service, for the community screens. Paths a
// test does not script reach the service's real community routes and their seeded data.

#include "awaittask.h"
#include "cookiestore.h"
#include "localservice.h"
#include "vexaclient.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkCookie>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace vexa::test {

struct CommunityFixture {
    QTemporaryDir dir;
    service::LocalService service;
    std::unique_ptr<VexaClient> client;

    CommunityFixture()
    {
        if (!dir.isValid() || !service.listen())
            qFatal("the local service did not start");
        client = std::make_unique<VexaClient>(service.baseUrl().toString(),
                                              dir.filePath(QStringLiteral("cookies")));
        QNetworkCookie cookie(service::LocalService::cookieName(), service.createSession());
        cookie.setPath(QStringLiteral("/"));
        client->cookieJar()->setCookiesFromUrl({cookie}, service.baseUrl());
    }

    void script(const QByteArray &method, const QString &path, int status, const QByteArray &body,
                int delayMs = 0, int times = -1)
    {
        service::ScriptedReply reply;
        reply.status = status;
        reply.body = body;
        reply.delay = std::chrono::milliseconds(delayMs);
        reply.times = times;
        service.script(method, path, reply);
    }

    qsizetype count(const QString &path) const { return service.requests(path).size(); }

    QJsonObject lastBody(const QString &path) const
    {
        const auto all = service.requests(path);
        return all.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(all.last().body).object();
    }
};

} // namespace vexa::test
