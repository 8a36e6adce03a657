#pragma once

// A client talking to an in-process local service over loopback, with its own cookie file.

#include "cookiestore.h"
#include "localservice.h"
#include "vexaclient.h"

#include <QNetworkCookie>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace vexa::test {

struct ClientFixture {
    QTemporaryDir dir;
    service::LocalService service;
    std::unique_ptr<VexaClient> client;

    ClientFixture()
    {
        QVERIFY(dir.isValid());
        QVERIFY(service.listen());
        client = makeClient();
    }

    QString cookieFile() const { return dir.filePath(QStringLiteral("cookies")); }

    std::unique_ptr<VexaClient> makeClient() const
    {
        return std::make_unique<VexaClient>(service.baseUrl().toString(), cookieFile());
    }

    // Puts a valid session cookie for the service into the client's jar, as a sign-in would.
    void giveSessionCookie()
    {
        QNetworkCookie cookie(service::LocalService::cookieName(), service.createSession());
        cookie.setPath(QStringLiteral("/"));
        client->cookieJar()->setCookiesFromUrl({cookie}, service.baseUrl());
    }

    bool hasSessionCookie() const
    {
        const auto cookies = client->cookieJar()->cookiesForUrl(service.baseUrl());
        return std::any_of(cookies.begin(), cookies.end(), [](const QNetworkCookie &c) {
            return c.name() == service::LocalService::cookieName();
        });
    }

    service::ScriptedReply reply(int status, const QByteArray &body, int delayMs = 0)
    {
        service::ScriptedReply r;
        r.status = status;
        r.body = body;
        r.delay = std::chrono::milliseconds(delayMs);
        return r;
    }
};

} // namespace vexa::test
