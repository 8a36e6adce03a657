#pragma once

// What the profile and plans screens ask of the desktop: the clipboard and opening an address
// outside the app. The screens talk to this interface only, so tests run them against a fake.

#include <QString>
#include <QUrl>

#include <memory>

namespace vexa::account {

class ProfilePlatform
{
public:
    virtual ~ProfilePlatform() = default;

    virtual void copyText(const QString &text) = 0;
    // Opens the address with the desktop's handler; false when none took it.
    virtual bool openExternally(const QUrl &url) = 0;

    // The desktop's clipboard and handlers.
    static std::shared_ptr<ProfilePlatform> system();
};

} // namespace vexa::account
