#include "codepicture.h"

#include <QFontMetricsF>
#include <QMutex>
#include <QPainter>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QTextLayout>

#include <atomic>
#include <cmath>

namespace vexa::answer {

namespace {

std::atomic<qint64> g_bytes{0};

struct LastStyle {
    QMutex mutex;
    std::optional<CodeStyle> style;
};

LastStyle &last()
{
    static LastStyle s;
    return s;
}

} // namespace

CodePicture::~CodePicture()
{
    g_bytes -= image.sizeInBytes();
}

QSGNode *pictureNode(QQuickWindow *window, QSGNode *old, const QImage &image, const QRectF &rect, bool &stale)
{
    if (!window || image.isNull()) {
        delete old;
        return nullptr;
    }
    auto *node = static_cast<QSGImageNode *>(old);
    if (!node) {
        node = window->createImageNode();
        node->setOwnsTexture(true);
        node->setFiltering(QSGTexture::Nearest);
        stale = true;
    }
    if (stale) {
        stale = false;
        node->setTexture(window->createTextureFromImage(image));
        node->setSourceRect(QRectF(QPointF(), image.size()));
    }
    node->setRect(rect);
    return node;
}

qint64 codePictureBytes()
{
    return g_bytes.load();
}

std::optional<CodeStyle> lastCodeStyle()
{
    QMutexLocker lock(&last().mutex);
    return last().style;
}

void setLastCodeStyle(const CodeStyle &style)
{
    QMutexLocker lock(&last().mutex);
    if (last().style != style)
        last().style = style;
}

std::shared_ptr<const CodePicture> drawCode(const QString &code, const QList<QList<highlight::Span>> &runs,
                                            const CodeStyle &style)
{
    auto picture = std::make_shared<CodePicture>();
    picture->style = style;

    // One layout for the whole block, its lines split at line separators.
    QString text = code;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(text, style.font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    // Tabs every four columns, as the styled text of the same code has them.
    option.setTabStopDistance(4 * QFontMetricsF(style.font).horizontalAdvance(QLatin1Char(' ')));
    layout.setTextOption(option);

    const highlight::detail::RoleFormats formats = highlight::detail::formatsFor(style.roles);
    QList<QTextLayout::FormatRange> ranges;
    qsizetype lineStart = 0;
    for (const QList<highlight::Span> &line : runs) {
        const qsizetype lineEnd = code.indexOf(QLatin1Char('\n'), lineStart);
        const qsizetype lineLength = (lineEnd < 0 ? code.size() : lineEnd) - lineStart;
        for (const highlight::Span &span : line) {
            const size_t role = size_t(span.role);
            if (span.role == highlight::Role::Plain || role >= formats.size() || span.start < 0
                || span.length <= 0 || span.start + span.length > lineLength)
                continue;
            ranges.append({int(lineStart + span.start), span.length, formats[role]});
        }
        if (lineEnd < 0)
            break;
        lineStart = lineEnd + 1;
    }
    layout.setFormats(ranges);

    qreal width = 0;
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(1e6);
        line.setPosition(QPointF(0, y));
        y += line.height();
        width = std::max(width, line.naturalTextWidth());
    }
    layout.endLayout();
    picture->size = QSizeF(std::ceil(width), std::ceil(y));

    const qreal ratio = style.devicePixelRatio;
    const QSize pixels(int(std::ceil(picture->size.width() * ratio)), int(std::ceil(picture->size.height() * ratio)));
    picture->drawn = !text.isEmpty() && !pixels.isEmpty()
        && qint64(pixels.width()) * pixels.height() <= kMaxCodePicturePixels;
    if (!picture->drawn)
        return picture;
    // Opaque, so the renderer copies it without blending.
    picture->image = QImage(pixels, QImage::Format_RGB32);
    picture->image.setDevicePixelRatio(ratio);
    picture->image.fill(QColor(style.ground.red(), style.ground.green(), style.ground.blue()));
    {
        QPainter painter(&picture->image);
        painter.setPen(style.color);
        layout.draw(&painter, QPointF(0, 0));
    }
    g_bytes += picture->image.sizeInBytes();
    return picture;
}

} // namespace vexa::answer
