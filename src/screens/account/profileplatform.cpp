#include "profileplatform.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>

namespace vexa::account {

namespace {

class SystemProfilePlatform final : public ProfilePlatform
{
public:
    void copyText(const QString &text) override
    {
        if (QClipboard *clipboard = QGuiApplication::clipboard())
            clipboard->setText(text);
    }
    bool openExternally(const QUrl &url) override { return QDesktopServices::openUrl(url); }
};

} // namespace

std::shared_ptr<ProfilePlatform> ProfilePlatform::system()
{
    return std::make_shared<SystemProfilePlatform>();
}

} // namespace vexa::account
