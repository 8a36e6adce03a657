#pragma once

#include <QString>
#include <QStringList>

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

// ---- Voice library ----
// The texts that describe where voices come from. The product's own wording names one vendor's
// voice tiers, settings and help page; it is shown as written only on that vendor's systems.
// Elsewhere the voices come from the system speech service, all of one quality tier.
#if defined(Q_OS_MACOS) || defined(Q_OS_IOS)
inline constexpr bool kVendorVoiceTexts = true;
#else
inline constexpr bool kVendorVoiceTexts = false;
#endif

inline QString libraryCaption()
{
    if constexpr (kVendorVoiceTexts)
        return QStringLiteral("Premium и Enhanced стоят выше в списке. Это реальные голоса Apple: "
                              "количество зависит от языка, устройства и загруженных пакетов.");
    return QStringLiteral("Это голоса системной службы синтеза речи. Все они одного уровня "
                          "качества; их количество зависит от языка и установленных голосовых "
                          "пакетов.");
}
inline QString savedVoiceMissing()
{
    return QStringLiteral("Сохранённый голос удалён или недоступен. Автоматически используется "
                          "лучший голос этого языка; ваш выбор сохранён на случай возвращения "
                          "пакета.");
}
inline QString noFavoriteVoices() { return QStringLiteral("Нет избранных голосов для этого языка."); }
inline QString noVoicesFound()
{
    if constexpr (kVendorVoiceTexts)
        return QStringLiteral(
            "Голоса не найдены. Измените поиск или загрузите голос в настройках Apple.");
    return QStringLiteral("Голоса не найдены. Измените поиск или установите голосовой пакет "
                          "системной службы речи.");
}
inline QString moreVoicesText()
{
    if constexpr (kVendorVoiceTexts)
        return QStringLiteral("После загрузки в настройках Apple вернитесь в Vexa. Доступные "
                              "голоса обновятся. Голоса Siri недоступны сторонним приложениям "
                              "через этот синтезатор.");
    return QStringLiteral("Новые голоса приходят с голосовыми пакетами системной службы синтеза "
                          "речи. После установки вернитесь в Vexa: список обновится сам, или "
                          "нажмите «Обновить список голосов».");
}
inline QString downloadHelpButton()
{
    if constexpr (kVendorVoiceTexts)
        return QStringLiteral("Как загрузить Premium / Enhanced");
    return QStringLiteral("Как добавить голоса");
}
inline QStringList downloadHelpParagraphs()
{
    if constexpr (kVendorVoiceTexts)
        return {
            QStringLiteral("1. Откройте системные настройки устройства и найдите «Голоса» в "
                           "разделе «Универсальный доступ»."),
            QStringLiteral("На Mac: «Универсальный доступ» → «Устная речь» или «Проговаривание "
                           "контента» → «Голос» → «Управлять голосами». Название пункта зависит от "
                           "версии macOS."),
            QStringLiteral("2. Выберите язык и загрузите нужный голос. Для естественного звучания "
                           "выбирайте Premium или Enhanced, если они доступны для этого языка."),
            QStringLiteral("3. Дождитесь окончания загрузки, вернитесь в Vexa и нажмите «Обновить "
                           "список голосов»."),
            QStringLiteral("Загрузка пакетов может занимать много места. Vexa использует голоса, "
                           "доступные на устройстве, и не скачивает голос Siri."),
        };
    return {
        QStringLiteral("1. Откройте менеджер пакетов системы и найдите голоса для системной службы "
                       "синтеза речи (например, пакеты голосов espeak-ng или RHVoice)."),
        QStringLiteral("2. Установите голоса нужного языка. Здесь все голоса одного уровня "
                       "качества, поэтому выбирайте по звучанию: кнопка «Послушать» рядом с "
                       "каждым голосом."),
        QStringLiteral("3. Дождитесь окончания установки, вернитесь в Vexa и нажмите «Обновить "
                       "список голосов»."),
        QStringLiteral("Голосовые пакеты занимают место на диске. Vexa использует только голоса, "
                       "установленные в системе, и сама ничего не скачивает."),
    };
}
// The vendor's help article; none elsewhere.
inline QString downloadHelpLinkTitle()
{
    return kVendorVoiceTexts ? QStringLiteral("Инструкция Apple") : QString();
}
inline QString downloadHelpLink()
{
    return kVendorVoiceTexts
        ? QStringLiteral("https://support.apple.com/guide/mac-help/mchlp2290/mac")
        : QString();
}
inline QString samplePhrase(const QString &locale)
{
    if (locale == QLatin1String("en-US"))
        return QStringLiteral("Hello! I'm Vexa AI. We can talk naturally, explore your ideas and "
                              "work things out together.");
    return QStringLiteral("Привет! Я Vexa AI. Давай спокойно поговорим: обсудим твои идеи, разберём "
                          "сложный вопрос и найдём решение.");
}

// ---- Voice conversation ----
inline QString statusListening() { return QStringLiteral("Слушаю вас…"); }
inline QString statusProcessing() { return QStringLiteral("Vexa отвечает…"); }
inline QString statusSpeaking() { return QStringLiteral("Vexa говорит…"); }
// While the voice library is open over a running conversation.
inline QString statusPaused() { return QStringLiteral("Пауза, пока открыт выбор голоса"); }
inline QString statusIdle() { return QStringLiteral("Голосовой диалог"); }
inline QString choosingModel() { return QStringLiteral("Выбираем быструю модель…"); }
inline QString noModelChosen() { return QStringLiteral("Модель не выбрана"); }
inline QString modelChoiceFailedPrefix()
{
    return QStringLiteral("Не удалось выбрать быструю модель: ");
}

} // namespace vexa::voice::texts
