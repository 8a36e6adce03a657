#pragma once

// A signed-in client against an in-process local service. Unscripted paths reach the service's
// real endpoints; tests script the replies they want to control and read back what was sent.

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

struct OpsFixture {
    QTemporaryDir dir;
    service::LocalService service;
    std::unique_ptr<VexaClient> client;

    OpsFixture()
    {
        QVERIFY(dir.isValid());
        QVERIFY(service.listen());
        client = std::make_unique<VexaClient>(service.baseUrl().toString(),
                                              dir.filePath(QStringLiteral("cookies")));
        QNetworkCookie cookie(service::LocalService::cookieName(), service.createSession());
        cookie.setPath(QStringLiteral("/"));
        client->cookieJar()->setCookiesFromUrl({cookie}, service.baseUrl());
    }

    void script(const QByteArray &method, const QString &path, int status, const QByteArray &body,
                int delayMs = 0, int times = -1)
    {
        service::ScriptedReply r;
        r.status = status;
        r.body = body;
        r.delay = std::chrono::milliseconds(delayMs);
        r.times = times;
        service.script(method, path, r);
    }

    // Installs an account state through a scripted refresh; true when it arrived.
    bool loadState(const QByteArray &stateJson)
    {
        script("GET", QStringLiteral("/api/state"), 200, R"({"ok":true,"state":)" + stateJson + "}",
               0, 1);
        return awaitVoid(client->refresh()) && client->state().has_value();
    }

    // The real demo account, as after a sign-in.
    bool restore()
    {
        return awaitVoid(client->restoreSession()) && client->isSignedIn();
    }

    qsizetype count(const QString &path) const { return service.requests(path).size(); }

    QJsonObject lastBody(const QString &path) const
    {
        const auto all = service.requests(path);
        return all.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(all.last().body).object();
    }
};

inline const QString kInvalidText =
    QStringLiteral("Не удалось прочитать ответ сервера. Повторите попытку.");

} // namespace vexa::test
