#pragma once

#include "highlight.h"

#include <QString>

// The languages this module colours: their names, what code fences and file names call them,
// and the source-highlight definition each one is read from.
namespace vexa::highlight::detail {

struct LanguageInfo {
    const char *name;       // canonical: what canonicalLanguage() gives
    const char *display;    // for people
    const char *langFile;   // the source-highlight definition
    bool own;               // in the project's languages/ (else Debian's)
    const char *aliases;    // other fence names, space-separated, lower case
    const char *extensions; // file name endings without the dot, space-separated, lower case
};

// nullptr when `canonical` is not a language here.
const LanguageInfo *findLanguage(const QString &canonical);
const LanguageInfo *languageTable(qsizetype *count);

// The source-highlight element a language's definition names, as a role. Markup languages name
// their tags "keyword" and their attributes "type"; their row says so.
Role roleForElement(const LanguageInfo &language, const std::string &element);

} // namespace vexa::highlight::detail
