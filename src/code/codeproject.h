#pragma once

// One local code project and its file form ("project.json" in the project's folder).

#include "chatrecords.h"
#include "decode.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace vexa {

struct CodeProject {
    QUuid id;                              // also names the project's folder
    QString name;                          // 1 to 80 characters when created here
    std::optional<QString> conversationID; // the service chat of this project's questions
    QList<ChatEntry> messages;             // oldest first
    QDateTime updatedAt;                   // UTC; the project list is ordered by it

    // A new, empty project: fresh random id, dated now.
    static CodeProject make(QString name);
};

// Folder names and the "id" member use the upper-case hyphenated form without braces.
QString canonicalUuidText(const QUuid &id);

// {"id": "<UPPER-CASE UUID>", "name": "...", "conversationID": "...", "messages": [...],
//  "updatedAt": <seconds since 2001-01-01T00:00:00Z>}, compact; "conversationID" is left out
// when the project has none. Readers take the members in any order.
QByteArray encodeCodeProject(const CodeProject &project);
records::Decoded<CodeProject> decodeCodeProject(const QByteArray &bytes);

} // namespace vexa
