#include "tablegrid.h"

#include "codepicture.h"
#include "textpicture.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QQuickWindow>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace vexa::answer {

namespace {

std::atomic<qint64> g_bytes{0};

} // namespace

DrawnGrid::~DrawnGrid()
{
    g_bytes -= image.sizeInBytes();
}

std::shared_ptr<const DrawnGrid> drawGrid(const QList<QStringList> &rows, const QList<int> &alignments,
                                          const GridStyle &style)
{
    auto drawn = std::make_shared<DrawnGrid>();
    const int columns = int(alignments.size());
    const qreal padding = style.cellPadding;
    QFont bold = style.font;
    bold.setBold(true);

    // Each cell's document, at its natural width first: a column is as wide as its widest
    // cell, up to the widest a cell is let be before its text wraps.
    std::vector<std::vector<std::unique_ptr<QTextDocument>>> documents(rows.size());
    QList<qreal> widths(columns, 0);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        documents[r].resize(columns);
        for (int c = 0; c < columns; ++c) {
            auto doc = std::make_unique<QTextDocument>();
            doc->setDocumentMargin(0);
            doc->setDefaultFont(r == 0 ? bold : style.font);
            QTextOption option = doc->defaultTextOption();
            option.setAlignment(Qt::Alignment(alignments.at(c)));
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            doc->setDefaultTextOption(option);
            doc->setHtml(rows.at(r).value(c));
            widths[c] = std::max(widths[c], std::min(std::ceil(doc->idealWidth()), style.maxCellWidth));
            documents[r][c] = std::move(doc);
        }
    }
    qreal x = 0;
    for (int c = 0; c < columns; ++c) {
        drawn->columnX.append(x);
        x += widths[c] + 2 * padding;
    }
    drawn->columnX.append(x);

    // Rows as high as their highest cell, as many as the picture's budget holds.
    const qreal ratio = style.devicePixelRatio;
    const qreal maxHeight = std::floor(kMaxGridPixels / std::max<qreal>(1, x * ratio * ratio));
    qreal y = 0;
    qsizetype shown = 0;
    for (; shown < rows.size(); ++shown) {
        qreal height = 0;
        for (int c = 0; c < columns; ++c) {
            documents[shown][c]->setTextWidth(widths[c]);
            height = std::max(height, documents[shown][c]->size().height());
        }
        if (shown > 0 && y + height + 2 * padding > maxHeight)
            break;
        drawn->rowY.append(y);
        y += height + 2 * padding;
    }
    drawn->rowY.append(y);
    drawn->cutRows = int(rows.size() - shown);
    drawn->size = QSizeF(x, y);

    for (qsizetype r = 0; r < shown; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QPointF at(drawn->columnX[c] + padding, drawn->rowY[r] + padding);
            for (TextLink link : linksOf(*documents[r][c])) {
                link.area.translate(at);
                drawn->links.append(link);
            }
        }
    }

    const QSize pixels(int(std::ceil(x * ratio)), int(std::ceil(y * ratio)));
    if (pixels.isEmpty())
        return drawn;
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (qsizetype r = 0; r < shown; ++r) {
        const QColor fill = r == 0 ? style.headerFill : r % 2 == 0 ? style.zebraFill : QColor(Qt::transparent);
        if (fill.alpha() > 0)
            painter.fillRect(QRectF(0, drawn->rowY[r], x, drawn->rowY[r + 1] - drawn->rowY[r]), fill);
    }
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, style.color);
    for (qsizetype r = 0; r < shown; ++r) {
        for (int c = 0; c < columns; ++c) {
            painter.save();
            painter.translate(drawn->columnX[c] + padding, drawn->rowY[r] + padding);
            documents[r][c]->documentLayout()->draw(&painter, context);
            painter.restore();
        }
    }
    painter.end();
    drawn->image = std::move(image);
    g_bytes += drawn->image.sizeInBytes();
    return drawn;
}

TableGrid::TableGrid(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

void TableGrid::setCells(const QVariantList &cells)
{
    if (cells == m_cells)
        return;
    m_cells = cells;
    changed();
    Q_EMIT cellsChanged();
}

void TableGrid::setAlignments(const QVariantList &alignments)
{
    if (alignments == m_alignments)
        return;
    m_alignments = alignments;
    changed();
    Q_EMIT cellsChanged();
}

#define VEXA_GRID_STYLE_SETTER(setter, field, type)                                                          \
    void TableGrid::setter(type value)                                                                       \
    {                                                                                                        \
        if (m_style.field == value)                                                                          \
            return;                                                                                          \
        m_style.field = value;                                                                               \
        changed();                                                                                           \
        Q_EMIT styleChanged();                                                                               \
    }
VEXA_GRID_STYLE_SETTER(setFont, font, const QFont &)
VEXA_GRID_STYLE_SETTER(setColor, color, const QColor &)
VEXA_GRID_STYLE_SETTER(setHeaderFill, headerFill, const QColor &)
VEXA_GRID_STYLE_SETTER(setZebraFill, zebraFill, const QColor &)
VEXA_GRID_STYLE_SETTER(setCellPadding, cellPadding, qreal)
VEXA_GRID_STYLE_SETTER(setMaxCellWidth, maxCellWidth, qreal)
#undef VEXA_GRID_STYLE_SETTER

void TableGrid::changed()
{
    m_stale = true;
    relayout();
}

void TableGrid::componentComplete()
{
    QQuickItem::componentComplete();
    relayout();
}

void TableGrid::relayout()
{
    if (!isComponentComplete() || !m_stale)
        return;
    if (TextLayoutBatch::defer(this, [](QQuickItem *item) { static_cast<TableGrid *>(item)->relayout(); }))
        return;
    m_stale = false;
    QList<QStringList> rows;
    rows.reserve(m_cells.size());
    for (const QVariant &row : std::as_const(m_cells))
        rows.append(row.toStringList());
    QList<int> alignments;
    alignments.reserve(m_alignments.size());
    for (const QVariant &alignment : std::as_const(m_alignments))
        alignments.append(alignment.toInt());
    GridStyle style = m_style;
    style.devicePixelRatio = window() ? window()->effectiveDevicePixelRatio() : qApp->devicePixelRatio();
    m_drawn = drawGrid(rows, alignments, style);
    m_textureStale = true;
    setAcceptedMouseButtons(m_drawn->links.isEmpty() ? Qt::NoButton : Qt::LeftButton);
    setImplicitSize(m_drawn->size.width(), m_drawn->size.height());
    update();
    Q_EMIT laidOut();
}

QRectF TableGrid::cellRect(int row, int column) const
{
    if (!m_drawn || row < 0 || column < 0 || row + 1 >= m_drawn->rowY.size() || column + 1 >= m_drawn->columnX.size())
        return {};
    return QRectF(QPointF(m_drawn->columnX[column], m_drawn->rowY[row]),
                  QPointF(m_drawn->columnX[column + 1], m_drawn->rowY[row + 1]));
}

QString TableGrid::linkAt(qreal x, qreal y) const
{
    return m_drawn ? answer::linkAt(m_drawn->links, QPointF(x, y)) : QString();
}

void TableGrid::mousePressEvent(QMouseEvent *event)
{
    m_pressedLink = linkAt(event->position().x(), event->position().y());
    event->setAccepted(!m_pressedLink.isEmpty());
}

void TableGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const QString link = linkAt(event->position().x(), event->position().y());
    if (!link.isEmpty() && link == m_pressedLink)
        Q_EMIT linkActivated(link);
    m_pressedLink.clear();
}

QSGNode *TableGrid::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    if (!m_drawn) {
        delete old;
        return nullptr;
    }
    return pictureNode(window(), old, m_drawn->image, QRectF(QPointF(), m_drawn->image.deviceIndependentSize()),
                       m_textureStale);
}

void TableGrid::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemDevicePixelRatioHasChanged || (change == ItemSceneChange && value.window)) {
        m_stale = true;
        relayout();
    }
}

} // namespace vexa::answer
