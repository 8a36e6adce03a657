#pragma once

#include "vexaclient.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace vexa {

// The sign-in screen: the code field's text and the two actions. It lives only while the screen
// does, so every showing of the screen (also after a failed sign-in) starts with an empty field.
class LoginViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(vexa::VexaClient *client READ client WRITE setClient NOTIFY clientChanged)
    Q_PROPERTY(QString code READ code WRITE setCode NOTIFY codeChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(bool canSignIn READ canSignIn NOTIFY canSignInChanged)
    Q_PROPERTY(QString subtitle READ subtitle CONSTANT)

public:
    explicit LoginViewModel(QObject *parent = nullptr);

    VexaClient *client() const { return m_client; }
    void setClient(VexaClient *client);

    QString code() const { return m_code; }
    void setCode(const QString &code);
    bool loading() const { return m_client && m_client->loading(); }
    bool canSignIn() const;
    QString subtitle() const;

    // Whether the field holds something besides spaces and tabs. Line breaks count as content
    // here: the client trims them and answers with its own message.
    static bool hasCodeText(QStringView code);

    // Opens the bot's deep link outside the app. Changes nothing else.
    Q_INVOKABLE void openBot();
    // Hands the field's text, exactly as typed, to the client's sign-in.
    Q_INVOKABLE void signIn();

Q_SIGNALS:
    void clientChanged();
    void codeChanged();
    void loadingChanged();
    void canSignInChanged();

private:
    void watch(VexaClient *client);

    QPointer<VexaClient> m_client;
    QString m_code;
};

} // namespace vexa
