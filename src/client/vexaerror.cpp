#include "vexaerror.h"

namespace vexa {

QString VexaError::description() const
{
    switch (m_case) {
    case Case::Server:
        return m_message;
    case Case::InvalidResponse:
        return QStringLiteral("Не удалось прочитать ответ сервера. Повторите попытку.");
    case Case::Unauthenticated:
        return QStringLiteral("Войдите снова с помощью кода из Telegram.");
    }
    return {};
}

QString describe(const ClientError &error)
{
    if (const auto *vexa = std::get_if<VexaError>(&error))
        return vexa->description();
    return std::get<PlatformError>(error).description;
}

bool isUnauthenticated(const ClientError &error)
{
    const auto *vexa = std::get_if<VexaError>(&error);
    return vexa && vexa->kind() == VexaError::Case::Unauthenticated;
}

bool isInvalidResponse(const ClientError &error)
{
    const auto *vexa = std::get_if<VexaError>(&error);
    return vexa && vexa->kind() == VexaError::Case::InvalidResponse;
}

namespace client {

QString timedOut()
{
    return QStringLiteral("Сервер не ответил вовремя. Проверьте подключение к интернету и "
                          "повторите попытку.");
}

QString connectionRefused()
{
    return QStringLiteral("Не удалось подключиться к серверу: соединение отклонено. Возможно, "
                          "сервис временно недоступен. Повторите попытку позже.");
}

QString hostNotFound(const QString &host)
{
    return QStringLiteral("Сервер «%1» не найден. Проверьте подключение к интернету.").arg(host);
}

QString connectionLost()
{
    return QStringLiteral("Соединение с сервером прервалось, ответ получен не полностью. "
                          "Повторите попытку.");
}

QString offline()
{
    return QStringLiteral("Нет подключения к сети. Проверьте подключение к интернету и "
                          "повторите попытку.");
}

QString otherNetworkFailure(const QString &platformText)
{
    if (platformText.trimmed().isEmpty())
        return QStringLiteral("Не удалось связаться с сервером. Повторите попытку.");
    return QStringLiteral("Не удалось связаться с сервером: %1").arg(platformText);
}

QString tlsRefused(TlsProblem problem)
{
    switch (problem) {
    case TlsProblem::Expired:
        return QStringLiteral("Защищённое соединение не установлено: срок действия сертификата "
                              "сервера истёк или ещё не начался. Запрос не отправлен.");
    case TlsProblem::Untrusted:
        return QStringLiteral("Защищённое соединение не установлено: сертификат сервера не "
                              "подтверждён доверенным центром сертификации. Запрос не отправлен.");
    case TlsProblem::WrongHost:
        return QStringLiteral("Защищённое соединение не установлено: сертификат сервера выдан "
                              "для другого адреса. Запрос не отправлен.");
    case TlsProblem::Other:
        break;
    }
    return QStringLiteral("Защищённое соединение с сервером не установлено. Запрос не отправлен.");
}

QString tooLarge(qint64 limitBytes)
{
    return QStringLiteral("Ответ сервера больше допустимых %1 МБ и не был загружен.")
        .arg(limitBytes / (1024 * 1024));
}

QString redirectRefused()
{
    return QStringLiteral("Сервер перенаправил запрос на другой адрес. Приложение не следует "
                          "таким перенаправлениям, поэтому запрос не выполнен.");
}

QString tooManyRedirects()
{
    return QStringLiteral("Сервер слишком много раз перенаправил запрос. Повторите попытку позже.");
}

} // namespace client

} // namespace vexa
