#pragma once

// What the content screen tests share: the local service in-process with a client signed in to
// it, and the recording desktop stand-in of the chat tests.

#include "awaittask.h"
#include "chatfixture.h"
#include "keyedrowmodel.h"
#include "localservice.h"

#include <QTemporaryDir>

#include <memory>

namespace vexa::test {

struct ContentFixture {
    QTemporaryDir dir;
    std::unique_ptr<service::LocalService> service;
    std::unique_ptr<TestClient> client;
    std::shared_ptr<FakeChatPlatform> platform = std::make_shared<FakeChatPlatform>();

    // Starts the service and signs a fresh client in; false when either failed.
    bool start();
    // Requests of this method and path since the last clearRequests().
    QList<service::RecordedRequest> sent(const QByteArray &method, const QString &path) const;
    // The JSON body of a recorded request.
    static QJsonObject body(const service::RecordedRequest &request);
    // A scripted failure (HTTP 500 with the service's text) for the next `times` requests.
    void failNext(const QByteArray &method, const QString &path, const QString &text, int times = 1);
};

// A list's rows as maps of their roles, the key under "rowId".
QVariantList rowsOf(const KeyedRowModel *model);

} // namespace vexa::test
