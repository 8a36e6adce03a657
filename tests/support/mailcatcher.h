#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace vexa::test {

// Takes the mail addresses the app hands the desktop, instead of a mail client, for as long as
// it lives.
class MailCatcher : public QObject
{
    Q_OBJECT
public:
    MailCatcher();
    ~MailCatcher() override;

    QList<QUrl> urls;

public Q_SLOTS:
    void take(const QUrl &url) { urls.append(url); }
};

} // namespace vexa::test
