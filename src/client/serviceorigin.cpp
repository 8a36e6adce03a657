#include "serviceorigin.h"

#include <QHostAddress>

#ifndef VEXA_BASE_URL_DEFAULT
#error "VEXA_BASE_URL_DEFAULT must be defined by the build"
#endif
#ifndef VEXA_TELEGRAM_URL_DEFAULT
#error "VEXA_TELEGRAM_URL_DEFAULT must be defined by the build"
#endif

namespace vexa {

QString ServiceOrigin::compiledBaseURL()
{
    return QStringLiteral(VEXA_BASE_URL_DEFAULT);
}

QString ServiceOrigin::telegramURL()
{
    return QStringLiteral(VEXA_TELEGRAM_URL_DEFAULT);
}

QString ServiceOrigin::configuredBaseURL()
{
    const QString fromEnvironment = qEnvironmentVariable("VEXA_BASE_URL").trimmed();
    return fromEnvironment.isEmpty() ? compiledBaseURL() : fromEnvironment;
}

bool ServiceOrigin::isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

Expected<QUrl, QString> ServiceOrigin::validate(const QString &origin)
{
    const QUrl url(origin, QUrl::StrictMode);
    const QString invalid =
        QStringLiteral("Адрес сервиса «%1» не подходит: нужен адрес вида https://сервер.").arg(origin);
    if (!url.isValid() || url.host().isEmpty() || url.hasQuery() || url.hasFragment()
        || !url.userInfo().isEmpty() || (!url.path().isEmpty() && url.path() != QLatin1String("/")))
        return invalid;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") && !isLoopbackHost(url.host()))
        return QStringLiteral("Адрес сервиса «%1» не защищён: без https можно подключаться только "
                              "к этому компьютеру (localhost).")
            .arg(origin);
    if (scheme != QLatin1String("https") && scheme != QLatin1String("http"))
        return invalid;
    QUrl normalized;
    normalized.setScheme(scheme);
    normalized.setHost(url.host());
    normalized.setPort(url.port());
    return normalized;
}

} // namespace vexa
