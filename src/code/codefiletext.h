#pragma once

// How the code workspace reads and writes a file's text: UTF-8 only, edited with "\n" line
// endings and saved with the file's own, written whole or not at all.

#include "expected.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

#include <optional>

namespace vexa::codefile {

// The whole content as text, when it is valid UTF-8. A byte-order mark stays in the text, so
// saving writes back what was read.
std::optional<QString> decodeUtf8(const QByteArray &bytes);

// The line ending a text was written with: the first one found, "\n" when it has none. The
// editor knows only "\n", so the text is edited with those and saved with its own again.
QString lineEndingOf(const QString &text);
QString withNewlines(QString text);
QString withLineEnding(QString text, const QString &ending);

// The editor document's text from `start` to `end` (all of it by default), with "\n" between
// lines where the document keeps U+2029, and no-break spaces kept as they are.
QString documentText(const QTextDocument &document, int start = 0, int end = -1);

// Writes through a temporary file renamed over the target, so a crash leaves old or new.
Outcome<QString> writeAtomically(const QString &path, const QByteArray &bytes);

} // namespace vexa::codefile
