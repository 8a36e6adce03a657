#pragma once

// TeX math in answers: found before md4c reads the answer, and read aloud.

#include "answerblocks.h"

#include <QString>

namespace vexa::answer {

// How a formula inside text appears in a block's styled text until it is typeset: its escaped
// TeX in the code colour, in a monospaced face (which only rich text honours, so a formula
// that cannot be set reads as code there). InlineMath finds formulas by this opening tag; the
// answer's own text is escaped and can never produce it.
inline constexpr auto kInlineMathOpen = "<font color=\"#9ecbff\" face=\"monospace\">";

// Whether styled text holds a formula (so it is drawn through InlineMath).
bool hasInlineMath(const QString &html);

// The answer with its formulas in the two forms md4c knows ($...$ and $$...$$): \(...\) and
// \[...\] rewritten, and every dollar that does not open or close a formula escaped, so money
// stays text ("стоит $5 и $10"): a formula's opening $ is not followed by a space, its closing
// $ not preceded by one nor followed by a digit. Code spans and code blocks are left as written.
QString markMath(const QString &markdown);

// What a screen reader hears for a formula: its readable text ("a в квадрате плюс b в
// квадрате"), or, for one shown as source, that and its source.
QString spokenFormula(const QString &tex);

// The text of a paragraph after its display formula, without the line break that followed the
// formula; false when nothing is left.
bool textAfterFormula(Inline &text);

} // namespace vexa::answer
