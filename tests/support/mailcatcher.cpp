#include "mailcatcher.h"

#include <QDesktopServices>

namespace vexa::test {

MailCatcher::MailCatcher()
{
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "take");
}

MailCatcher::~MailCatcher()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
}

} // namespace vexa::test
