#pragma once

#include <QString>

// Every user-visible text of the voice core, verbatim. Screens show them as they are.
namespace vexa::voice::texts {

// Recognition failures, shown through VoiceService::errorMessage.
inline QString recognitionNotAuthorized()
{
    return QStringLiteral("Разрешите распознавание речи в настройках устройства.");
}
inline QString microphoneDenied()
{
    return QStringLiteral("Разрешите доступ к микрофону в настройках устройства.");
}
inline QString recognizerUnavailable()
{
    return QStringLiteral("Распознавание для выбранного языка сейчас недоступно.");
}
inline QString onDeviceRecognitionMissing()
{
    return QStringLiteral("Для этого языка нет локального распознавания. Разрешите облачное "
                          "распознавание в настройках голоса или выберите другой язык.");
}
inline QString microphoneStartFailedPrefix()
{
    return QStringLiteral("Не удалось запустить микрофон: ");
}

// Voice labels used by the catalog.
inline QString separator() { return QStringLiteral(" · "); }
inline QString qualityPremium() { return QStringLiteral("Premium"); }
inline QString qualityEnhanced() { return QStringLiteral("Enhanced · улучшенный"); }
inline QString qualityStandard() { return QStringLiteral("Стандартный"); }
inline QString genderMale() { return QStringLiteral("мужской"); }
inline QString genderFemale() { return QStringLiteral("женский"); }
inline QString automaticPrefix() { return QStringLiteral("Автоматически · "); }
inline QString systemVoice() { return QStringLiteral("Системный голос"); }
inline QString pinnedVoiceUnavailable()
{
    return QStringLiteral(
        "Сохранённый голос недоступен. Сейчас используется лучший доступный голос.");
}

} // namespace vexa::voice::texts
