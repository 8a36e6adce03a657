#pragma once

// Where the app's QML writes a colour of its own instead of taking VexaTheme's role: a hex
// string ("#ff6b6b") anywhere, a Qt.rgba/hsla/hsva/color call anywhere, or a colour's name
// ("white") bound to a colour property. "transparent" is no colour and stays allowed.

#include "plaintextrules.h"

namespace vexa::test {

// The findings of one document; a document the parser cannot read is one finding.
QList<TextFinding> colourLiterals(const QString &file, const QString &code);

} // namespace vexa::test
