#pragma once

#include "expected.h"

#include <QString>
#include <QUrl>

namespace vexa {

// Where the client talks to. The origin and the bot link are compiled in; VEXA_BASE_URL in the
// environment replaces the origin (development, the local service).
struct ServiceOrigin {
    static QString compiledBaseURL();
    static QString telegramURL();

    // The compiled origin, or VEXA_BASE_URL when set.
    static QString configuredBaseURL();

    // Accepts "https://host[:port]" for any host and "http://host[:port]" only for loopback
    // hosts (localhost, 127.0.0.0/8, ::1): the session cookie is the only credential and must
    // never travel in clear text. No path, query or fragment. The error is the user's text.
    static Expected<QUrl, QString> validate(const QString &origin);

    static bool isLoopbackHost(const QString &host);
};

} // namespace vexa
