#pragma once

// What the service makes of uploaded pictures and files: data URLs decoded, pictures measured
// and looked at (size, format, brightness, main colour), files sized and, when they are text,
// peeked into. Used by the chat and image endpoints.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace vexa::service {

struct DataUrl {
    QString mediaType; // "image/jpeg"; empty for a bare payload
    QByteArray bytes;
};

// "data:<type>;base64,<payload>" or a bare Base64 payload; nothing when the payload is not
// strict Base64 or is empty.
std::optional<DataUrl> decodeDataUrl(const QString &text);

struct PhotoInfo {
    QSize size;
    QString format;   // from the bytes: "JPEG", "PNG", ...
    qint64 bytes = 0;
    QString colour;   // main colour, Russian, e.g. "синий"
    QString lightness; // "светлое", "тёмное", "средней яркости"
};

// Nothing when the bytes are not a picture.
std::optional<PhotoInfo> inspectPhoto(const QByteArray &bytes);
// Colour and lightness of an already decoded picture.
void describeLook(const QImage &image, PhotoInfo &info);

struct FileInfo {
    QString name;
    qint64 bytes = 0;
    std::optional<QString> text; // the content when it is UTF-8 text without NUL bytes
};

FileInfo inspectFile(const QString &name, const QByteArray &bytes);

// "512 Б", "23,4 КБ", "7,6 МБ".
QString sizeText(qint64 bytes);

} // namespace vexa::service
