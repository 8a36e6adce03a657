#pragma once

#include "vexaclient.h"

#include <QTemporaryDir>

// A client whose published state the tests set directly. It points at a port nothing listens
// on unless given an origin, so it never reaches a service by accident.
class TestClient : public vexa::VexaClient
{
public:
    explicit TestClient(const QString &baseURL = QStringLiteral("http://127.0.0.1:9"))
        : VexaClient(baseURL, cookieDir().filePath(QStringLiteral("cookies")))
    {
    }

    using VexaClient::setLoading;
    using VexaClient::setNotice;
    using VexaClient::setState;

    void signInAs(std::optional<QString> firstName, std::optional<QString> planTitle)
    {
        vexa::VexaState state;
        state.user = vexa::VexaUser{7, std::nullopt, std::move(firstName)};
        if (planTitle)
            state.plan = vexa::VexaPlan{std::nullopt, std::move(planTitle), std::nullopt};
        setState(std::move(state));
    }

private:
    static QTemporaryDir &cookieDir()
    {
        static QTemporaryDir dir;
        return dir;
    }
};
