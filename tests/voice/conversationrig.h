#pragma once

// A conversation view-model over the in-process local service with a signed-in client, and
// whichever voice parts a test brings (fakes, or a recording through the real recognizer).

#include "awaittask.h"
#include "cookiestore.h"
#include "localservice.h"
#include "servicestate.h"
#include "vexaclient.h"
#include "voiceconversationviewmodel.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkCookie>
#include <QTemporaryDir>

#include <memory>

namespace vexa::test {

struct ConversationRig
{
    QTemporaryDir dir;
    service::LocalService service;
    std::unique_ptr<VexaClient> client;
    std::unique_ptr<voice::VoiceConversationViewModel> conversation;

    explicit ConversationRig(voice::VoicePlatform platform)
    {
        service.listen();
        client = std::make_unique<VexaClient>(service.baseUrl().toString(),
                                              dir.filePath(QStringLiteral("cookies")));
        QNetworkCookie cookie(service::LocalService::cookieName(), service.createSession());
        cookie.setPath(QStringLiteral("/"));
        client->cookieJar()->setCookiesFromUrl({cookie}, service.baseUrl());
        conversation = std::make_unique<voice::VoiceConversationViewModel>(
            client.get(), std::move(platform), preferencesPath());
    }
    ~ConversationRig() { conversation.reset(); }

    QString preferencesPath() const { return dir.filePath(QStringLiteral("prefs.ini")); }

    bool restore() { return awaitVoid(client->restoreSession()) && client->isSignedIn(); }

    // Shows the sheet and waits for the model choice to settle.
    bool appear()
    {
        conversation->appear();
        return waitUntil([this] {
            return !conversation->choosingModel()
                   && conversation->selectedModelTitle() != QStringLiteral("Выбираем быструю модель…");
        });
    }

    void script(const QByteArray &method, const QString &path, int status, const QByteArray &body,
                int delayMs = 0, int times = 1)
    {
        service::ScriptedReply reply;
        reply.status = status;
        reply.body = body;
        reply.delay = std::chrono::milliseconds(delayMs);
        reply.times = times;
        service.script(method, path, reply);
    }

    QList<QJsonObject> chatBodies() const
    {
        QList<QJsonObject> bodies;
        for (const auto &request : service.requests(QStringLiteral("/api/chat")))
            bodies << QJsonDocument::fromJson(request.body).object();
        return bodies;
    }
};

} // namespace vexa::test
