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

// Elsewhere speech is recognised by the local models only, and voices come from the system's
// speech service, which has no quality tiers of its own.

QString PlatformTexts::voiceLibraryButton()
{
#if defined(Q_OS_DARWIN)
    return QStringLiteral("Каталог голосов · Premium и Enhanced");
#else
    return QStringLiteral("Каталог голосов системы");
#endif
}

bool PlatformTexts::offersCloudRecognition()
{
#if defined(Q_OS_DARWIN)
    return true;
#else
    return false;
#endif
}

QString PlatformTexts::cloudRecognitionSwitch()
{
#if defined(Q_OS_DARWIN)
    return QStringLiteral("Разрешить облачное распознавание Apple, если локальное недоступно");
#else
    return QString();
#endif
}

QString PlatformTexts::voiceSettingsCaption()
{
#if defined(Q_OS_DARWIN)
    return QStringLiteral("По умолчанию речь распознаётся на устройстве, если язык поддерживается. "
                          "При разрешении облачного режима аудио может обрабатываться сервисом "
                          "Apple. В Vexa отправляется распознанный текст; разговор использует "
                          "обычные лимиты чата.");
#else
    return QStringLiteral("Речь распознаётся только на этом компьютере, если для языка установлена "
                          "модель распознавания; аудио никуда не отправляется. Голоса берутся из "
                          "системной службы синтеза речи. В Vexa отправляется распознанный текст; "
                          "разговор использует обычные лимиты чата.");
#endif
}

} // namespace vexa
