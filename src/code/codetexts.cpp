#include "codetexts.h"

namespace vexa::codetexts {

QString storageUnavailable()
{
    return QStringLiteral("Не удалось открыть локальное хранилище.");
}

QString openProjectsFailed(const QString &description)
{
    return QStringLiteral("Не удалось открыть проекты: ") + description;
}

QString createProjectFailed(const QString &description)
{
    return QStringLiteral("Не удалось создать проект: ") + description;
}

QString unsafeFileName()
{
    return QStringLiteral("Введите имя файла без /, \\ или ..");
}

QString fileExists()
{
    return QStringLiteral("Файл уже существует.");
}

QString createFileFailed(const QString &description)
{
    return QStringLiteral("Не удалось создать файл: ") + description;
}

QString notUtf8Text()
{
    return QStringLiteral("Можно редактировать только текстовые файлы UTF-8.");
}

QString largeFileReadOnly()
{
    return QStringLiteral("Файл больше 4 МБ: он открыт только для чтения, чтобы редактор не замедлялся.");
}

QString longLinesReadOnly()
{
    return QStringLiteral("В файле есть строки длиннее 20 000 знаков: он открыт только для чтения, "
                          "а такие строки показаны первыми 10 000 знаками.");
}

QString saveFailed(const QString &description)
{
    return QStringLiteral("Не удалось сохранить файл: ") + description;
}

QString savedLocally()
{
    return QStringLiteral("Файл сохранён локально.");
}

QString importSummary(int count)
{
    return QStringLiteral("Импортировано файлов: ") + QString::number(count)
        + QStringLiteral(". Поддерживаются текстовые UTF-8 до 2 МБ без замены существующих.");
}

QString askFailed(const QString &description)
{
    return QStringLiteral("AI-запрос не выполнен: ") + description;
}

QString filesStayLocal()
{
#if defined(Q_OS_MACOS)
    return QStringLiteral("Файлы остаются на этом Mac; AI использует лимиты Vexa.");
#else
    return QStringLiteral("Файлы остаются на этом компьютере; AI использует лимиты Vexa.");
#endif
}

QString userCaption()
{
    return QStringLiteral("Вы");
}

QString assistantCaption()
{
    return QStringLiteral("Vexa Code");
}

} // namespace vexa::codetexts
