#include "codetext.h"

#include <QQuickWindow>

namespace vexa::answer {

CodeText::CodeText(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

void CodeText::setLines(const QVariant &lines)
{
    CodeLines value = lines.value<CodeLines>();
    std::shared_ptr<const CodePicture> ahead = value.takePicture();
    value.ahead.reset();
    // The picture is a hint that comes with the code: the same code without it is no change.
    if (value.code == m_lines.code && value.runs == m_lines.runs && (!ahead || ahead == m_picture))
        return;
    m_lines = std::move(value);
    m_ahead = std::move(ahead);
    // Drawn ahead in the style this item shows: taken at once, so the panel has its size in
    // this frame. Otherwise it is drawn when the frame is polished (once, whatever else is set).
    if (m_ahead && m_picture && m_ahead->style == m_picture->style)
        show(m_ahead);
    else
        polish();
    Q_EMIT linesChanged();
}

void CodeText::setFont(const QFont &font)
{
    if (font == m_style.font)
        return;
    m_style.font = font;
    polish();
    Q_EMIT styleChanged();
}

void CodeText::setColor(const QColor &color)
{
    if (color == m_style.color)
        return;
    m_style.color = color;
    polish();
    Q_EMIT styleChanged();
}

void CodeText::setGround(const QColor &ground)
{
    if (ground == m_style.ground)
        return;
    m_style.ground = ground;
    polish();
    Q_EMIT styleChanged();
}

CodeStyle CodeText::currentStyle() const
{
    CodeStyle style = m_style;
    style.roles = highlight::detail::defaultColors();
    highlight::detail::readThemeColors(const_cast<CodeText *>(this), style.roles);
    style.devicePixelRatio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    return style;
}

void CodeText::updatePolish()
{
    const CodeStyle style = currentStyle();
    if (m_picture && m_picture->style == style && m_ahead == m_picture)
        return;
    if (m_ahead && m_ahead->style == style) {
        show(m_ahead);
    } else {
        show(drawCode(m_lines.code, m_lines.runs, style));
        // Answers prepared from now on are drawn as this one is.
        setLastCodeStyle(style);
    }
}

void CodeText::show(std::shared_ptr<const CodePicture> picture)
{
    m_picture = std::move(picture);
    m_ahead = m_picture;
    setImplicitSize(m_picture->size.width(), m_picture->size.height());
    m_textureStale = true;
    update();
    Q_EMIT pictureChanged();
}

QSGNode *CodeText::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    if (!drawn()) {
        delete old;
        return nullptr;
    }
    return pictureNode(window(), old, m_picture->image, QRectF(QPointF(), m_picture->size), m_textureStale);
}

void CodeText::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemDevicePixelRatioHasChanged || (change == ItemSceneChange && value.window))
        polish();
}

} // namespace vexa::answer
