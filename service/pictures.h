#pragma once

// The service's painter: pictures drawn from a prompt (the same prompt and style always give the
// same picture) and visible edits of an uploaded one. Shapes and gradients only: no text, so no
// fonts and no QGuiApplication are needed.

#include <QImage>
#include <QString>

namespace vexa::service {

enum class PictureStyle { Painting, Detailed, Sketch };

// Colours and scenery follow words of the prompt (sunset, night, sea, forest, city, mountains,
// cat...); everything else is seeded by the prompt's text. Detailed pictures are larger.
QImage drawPicture(const QString &prompt, PictureStyle style);

// A visible change chosen by the instruction: black-and-white, negative, sepia/warm, cool, or
// poster colours; always framed. Large pictures are scaled down to 1280 pixels on the long side.
QImage editPicture(const QImage &source, const QString &instruction);

// What the text-output model says about a picture or about a prompt.
QString describePicture(const QImage &image);
QString describePrompt(const QString &prompt);

// A stable seed from text (FNV-1a over UTF-8), the same in every run.
quint32 textSeed(const QString &text);

} // namespace vexa::service
