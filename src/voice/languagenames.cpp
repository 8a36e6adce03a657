#include "languagenames.h"

#include <unicode/locdspnm.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <QHash>

#include <memory>

namespace vexa::voice {

namespace {

QString fromIcu(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

icu::Locale icuLocale(const QString &tag)
{
    UErrorCode status = U_ZERO_ERROR;
    QString bcp47 = tag;
    bcp47.replace(u'_', u'-');
    icu::Locale locale = icu::Locale::forLanguageTag(bcp47.toStdString(), status);
    return U_SUCCESS(status) ? locale : icu::Locale();
}

// ICU answers the bare code when it has no name for a language; that is no name at all.
QString icuDisplayName(const QString &tag, const QLocale &displayLocale)
{
    const icu::Locale subject = icuLocale(tag);
    const QString language = QString::fromLatin1(subject.getLanguage());
    if (language.isEmpty())
        return {};
    UDisplayContext contexts[] = {UDISPCTX_LENGTH_SHORT, UDISPCTX_STANDARD_NAMES};
    const std::unique_ptr<icu::LocaleDisplayNames> names(icu::LocaleDisplayNames::createInstance(
        icuLocale(displayLocale.bcp47Name()), contexts, 2));
    if (!names)
        return {};
    icu::UnicodeString languageName;
    names->languageDisplayName(subject.getLanguage(), languageName);
    if (languageName.isBogus() || fromIcu(languageName).compare(language, Qt::CaseInsensitive) == 0)
        return {};
    icu::UnicodeString fullName;
    names->localeDisplayName(subject, fullName);
    return fullName.isBogus() ? QString() : fromIcu(fullName);
}

QString nativeName(const QString &tag)
{
    const QLocale locale(tag);
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return {};
    return locale.nativeLanguageName();
}

} // namespace

QString languageDisplayName(const QString &languageTag, const QLocale &displayLocale)
{
    const QString tag = languageTag.trimmed();
    if (tag.isEmpty())
        return {};
    // Voice lists repeat a handful of tags thousands of times; ICU's lookup is not free.
    thread_local QHash<QString, QString> cache;
    const QString key = displayLocale.bcp47Name() + u'|' + tag;
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QString name = icuDisplayName(tag, displayLocale);
    if (name.isEmpty())
        name = nativeName(tag);
    if (name.isEmpty())
        name = tag;
    cache.insert(key, name);
    return name;
}

} // namespace vexa::voice
