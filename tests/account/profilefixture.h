#pragma once

// What the profile and plans tests share: a signed-in client against the in-process local
// service (opsfixture.h), a recording stand-in for the desktop, and fake voice parts.

#include "opsfixture.h"
#include "profileplatform.h"
#include "voicefakes.h"
#include "voiceservice.h"

#include <QStandardPaths>

namespace vexa::test {

class FakeProfilePlatform final : public account::ProfilePlatform
{
public:
    QStringList copied;
    QList<QUrl> opened;

    void copyText(const QString &text) override { copied.append(text); }
    bool openExternally(const QUrl &url) override
    {
        opened.append(url);
        return true;
    }
};

using FakeVoice = voice::fakes::FakeVoiceParts;

// Every notice the client publishes, in order (a cleared notice is recorded as "∅").
struct NoticeLog {
    QStringList notices;
    QMetaObject::Connection connection;

    explicit NoticeLog(VexaClient *client)
    {
        connection = QObject::connect(client, &VexaClient::noticeChanged, client, [this, client] {
            notices.append(client->hasNotice() ? client->noticeText() : QStringLiteral("∅"));
        });
    }
    ~NoticeLog() { QObject::disconnect(connection); }
};

} // namespace vexa::test
