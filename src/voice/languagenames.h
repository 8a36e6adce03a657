#pragma once

#include <QLocale>
#include <QString>

namespace vexa::voice {

// The name of a language tag in `displayLocale`, short form: "английский (США)" for "en-US" in
// Russian. Falls back to the language's own name, then to the tag itself; "" for an empty tag.
QString languageDisplayName(const QString &languageTag, const QLocale &displayLocale = QLocale());

} // namespace vexa::voice
