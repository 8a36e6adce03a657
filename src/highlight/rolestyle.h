#pragma once

#include "highlight.h"

#include <QColor>
#include <QTextCharFormat>

#include <array>

class QObject;
class QThreadPool;

// How each role looks: the theme's code* colour, and italics, bold or underline for a few.
// Shared by the answers' code panels and the editor.
namespace vexa::highlight::detail {

constexpr size_t kRoleCount = size_t(Role::Escape) + 1;
using RoleColors = std::array<QColor, kRoleCount>;
using RoleFormats = std::array<QTextCharFormat, kRoleCount>;

// The theme's values built in, for an object outside a QML engine (C++ tests).
RoleColors defaultColors();
// The colours of the VexaTheme in the QML engine the object lives in, where it has one.
void readThemeColors(QObject *object, RoleColors &colors);
RoleFormats formatsFor(const RoleColors &colors);
// "i", "b" or "u" for the roles drawn in italics, bold or underlined besides their colour.
const char *emphasisTag(Role role);

// The one worker thread of every code text of the app (answers' panels and editors): the
// library takes turns on one lock anyway, and runs are done in the order they were asked for.
QThreadPool *workerPool();

} // namespace vexa::highlight::detail

namespace vexa::highlight {

// Code as Text.StyledText and rich text lay it out alike: every character escaped, spaces as
// no-break spaces (styled text folds runs of spaces), a tab as spaces to the next multiple of
// four columns, lines joined by <br>, each coloured run in a <font color> (and <i>, <b>, <u>
// where the role has them). `lines` are highlight()'s runs, one list per line (fewer lists, or
// none, leave the rest plain). Copying rich text turns the no-break spaces back into spaces.
QString styledCode(QStringView code, const QList<QList<Span>> &lines, const detail::RoleColors &colors);

} // namespace vexa::highlight
