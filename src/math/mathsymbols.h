#pragma once

// The commands that name one character (Greek, operators, relations, arrows, delimiters), and
// the words a screen reader says for them.

#include "mathparser.h"

#include <QStringView>

#include <optional>
#include <utility>

namespace vexa::math {

struct SymbolInfo {
    const char *name;    // without the backslash
    char32_t code;
    AtomClass atom;
    const char *spoken;  // Russian, as read aloud
};

const SymbolInfo *findSymbol(QStringView name);

// The class of a character written as itself ("+", "=", "(", "a").
AtomClass classOf(char32_t c);

// The words for a character written as itself or by a command ("плюс", "альфа"); empty when it
// is read as it is (letters, digits).
QString spokenChar(char32_t c);

// Big operators: \sum and friends (limits in display style), \int and friends (no limits).
struct OperatorInfo {
    const char *name;
    char32_t code;       // 0 for named operators (\lim, \max) drawn as upright text
    bool limits;
    const char *spoken;
};
const OperatorInfo *findOperator(QStringView name);
const OperatorInfo *findOperator(char32_t code);

// Spacing commands (\, \quad...) in mu; \big and friends: the delimiter's size in ems;
// accents: the accent character and whether it spans its base (\widehat).
std::optional<double> spaceWidth(QStringView name);
std::optional<double> bigDelimiterSize(QStringView name);
std::optional<std::pair<char32_t, bool>> accentFor(QStringView name);

// \color's names as tones that read on the light and the dark theme ("" for black and white:
// the text's own colour); nothing for names it does not know.
std::optional<QString> readableColor(const QString &name);

} // namespace vexa::math
