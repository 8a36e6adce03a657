#include "vexaclient.h"

#include <QJsonDocument>

namespace vexa {

RequestBody::RequestBody(const QJsonObject &object)
    : m_json(QJsonDocument(object).toJson(QJsonDocument::Compact))
{
}

RequestBody RequestBody::encoded(QByteArray json)
{
    RequestBody body;
    body.m_json = std::move(json);
    return body;
}

} // namespace vexa
