#include "contentfixture.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vexa::test {

bool ContentFixture::start()
{
    QStandardPaths::setTestModeEnabled(true);
    service = std::make_unique<service::LocalService>();
    if (!service->listen())
        return false;
    service->setFixedCode(QStringLiteral("123456"));
    client = std::make_unique<TestClient>(service->baseUrl().toString(),
                                          dir.filePath(QStringLiteral("cookies")));
    if (!awaitVoid(client->signIn(QStringLiteral("123456"))))
        return false;
    service->clearRequests();
    return client->isSignedIn();
}

QList<service::RecordedRequest> ContentFixture::sent(const QByteArray &method, const QString &path) const
{
    QList<service::RecordedRequest> matching;
    for (const service::RecordedRequest &request : service->requests(path)) {
        if (request.method == method)
            matching.append(request);
    }
    return matching;
}

QJsonObject ContentFixture::body(const service::RecordedRequest &request)
{
    return QJsonDocument::fromJson(request.body).object();
}

void ContentFixture::failNext(const QByteArray &method, const QString &path, const QString &text, int times)
{
    service::ScriptedReply reply;
    reply.status = 500;
    reply.body = QJsonDocument(QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), text}})
                     .toJson(QJsonDocument::Compact);
    reply.times = times;
    service->script(method, path, reply);
}

QVariantList rowsOf(const KeyedRowModel *model)
{
    QVariantList rows;
    const QHash<int, QByteArray> roles = model->roleNames();
    for (int row = 0; row < model->rowCount(); ++row) {
        QVariantMap values;
        for (auto it = roles.cbegin(); it != roles.cend(); ++it)
            values.insert(QString::fromLatin1(it.value()), model->data(model->index(row), it.key()));
        rows.append(values);
    }
    return rows;
}

} // namespace vexa::test
