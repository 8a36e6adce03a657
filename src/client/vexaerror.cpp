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

} // namespace vexa
