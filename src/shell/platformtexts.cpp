#include "platformtexts.h"

#include <QtGlobal>

namespace vexa {

QString PlatformTexts::signInSubtitle()
{
#if defined(Q_OS_DARWIN)
    return QStringLiteral("Ваш AI-аккаунт на iPhone и iPad");
#elif defined(Q_OS_ANDROID)
    return QStringLiteral("Ваш AI-аккаунт на телефоне и планшете");
#else
    return QStringLiteral("Ваш AI-аккаунт на компьютере");
#endif
}

QString PlatformTexts::noticesCaption()
{
#if defined(Q_OS_DARWIN)
    return QStringLiteral("На iPhone — уведомления только внутри приложения.");
#else
    return QStringLiteral("На компьютере — уведомления только внутри приложения.");
#endif
}

} // namespace vexa
