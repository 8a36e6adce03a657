#include "attachments.h"

#include <QBuffer>
#include <QImageReader>
#include <QStringDecoder>

namespace vexa::service {

std::optional<DataUrl> decodeDataUrl(const QString &text)
{
    DataUrl result;
    QString payload = text;
    if (text.startsWith(QLatin1String("data:"))) {
        const qsizetype comma = text.indexOf(QLatin1Char(','));
        if (comma < 0)
            return std::nullopt;
        const QString header = text.mid(5, comma - 5);
        if (!header.endsWith(QLatin1String(";base64")))
            return std::nullopt;
        result.mediaType = header.chopped(7);
        payload = text.mid(comma + 1);
    }
    if (payload.isEmpty() || payload.size() % 4 != 0)
        return std::nullopt;
    for (const QChar c : payload) {
        if (c.unicode() > 0x7f)
            return std::nullopt;
    }
    auto decoded = QByteArray::fromBase64Encoding(payload.toLatin1(),
                                                  QByteArray::AbortOnBase64DecodingErrors);
    if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok || decoded.decoded.isEmpty())
        return std::nullopt;
    result.bytes = std::move(decoded.decoded);
    return result;
}

void describeLook(const QImage &image, PhotoInfo &info)
{
    // Averages over a small copy: enough for "mostly blue and bright".
    const QImage small = image.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    double r = 0, g = 0, b = 0;
    const int count = small.width() * small.height();
    for (int y = 0; y < small.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(small.constScanLine(y));
        for (int x = 0; x < small.width(); ++x) {
            r += qRed(line[x]);
            g += qGreen(line[x]);
            b += qBlue(line[x]);
        }
    }
    const QColor average = QColor::fromRgb(int(r / count), int(g / count), int(b / count));
    const int luminance = int(0.299 * average.red() + 0.587 * average.green() + 0.114 * average.blue());
    info.lightness = luminance > 170 ? QStringLiteral("светлое")
                   : luminance < 85  ? QStringLiteral("тёмное")
                                     : QStringLiteral("средней яркости");

    const int hue = average.hsvHue();
    if (average.hsvSaturation() < 40 || hue < 0) {
        info.colour = average.value() > 200 ? QStringLiteral("белый")
                    : average.value() < 60  ? QStringLiteral("чёрный")
                                            : QStringLiteral("серый");
        return;
    }
    static const struct {
        int upTo;
        const char *name;
    } hues[] = {{15, "красный"},  {45, "оранжевый"}, {70, "жёлтый"},     {170, "зелёный"},
                {200, "голубой"}, {260, "синий"},    {300, "фиолетовый"}, {345, "розовый"},
                {360, "красный"}};
    for (const auto &h : hues) {
        if (hue < h.upTo) {
            info.colour = QString::fromUtf8(h.name);
            return;
        }
    }
    info.colour = QStringLiteral("красный");
}

std::optional<PhotoInfo> inspectPhoto(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    PhotoInfo info;
    info.size = image.size();
    info.format = QString::fromLatin1(format).toUpper();
    info.bytes = bytes.size();
    describeLook(image, info);
    return info;
}

FileInfo inspectFile(const QString &name, const QByteArray &bytes)
{
    FileInfo info;
    info.name = name;
    info.bytes = bytes.size();
    if (!bytes.contains('\0')) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        QString text = decoder.decode(bytes);
        if (!decoder.hasError())
            info.text = std::move(text);
    }
    return info;
}

QString sizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 Б").arg(bytes);
    const bool mega = bytes >= 1024 * 1024;
    const double value = double(bytes) / (mega ? 1024.0 * 1024.0 : 1024.0);
    QString number = QString::number(value, 'f', 1);
    number.replace(QLatin1Char('.'), QLatin1Char(','));
    return number + (mega ? QStringLiteral(" МБ") : QStringLiteral(" КБ"));
}

} // namespace vexa::service
