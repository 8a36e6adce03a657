#pragma once

// A table's grid (header row, zebra rows, every cell's text) laid out and painted into one
// picture, shown in a single image node: a Text per cell and a rectangle per row would be
// dozens of nodes the renderer moves and walks on every frame a table scrolls past. Links in
// cells open where they are drawn; TableBlock puts an accessible cell over each cell for screen
// readers.
//
//     TableGrid { cells: [["A", "B"], ["1", "2"]]; alignments: [Text.AlignLeft, Text.AlignRight] }

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QQuickItem>
#include <QRectF>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace vexa::answer {

struct TextLink;

// How a grid is laid out and drawn.
struct GridStyle {
    QFont font;
    QColor color;
    QColor headerFill;
    QColor zebraFill;
    qreal cellPadding = 8;
    qreal maxCellWidth = 320;
    qreal devicePixelRatio = 1;
    bool operator==(const GridStyle &) const = default;
};

// A grid drawn. Plain data, made and read on any thread.
struct DrawnGrid {
    QSizeF size;
    QImage image;
    QList<qreal> columnX; // each column's left edge, and the grid's right edge last
    QList<qreal> rowY;    // each shown row's top edge, and the grid's bottom edge last
    QList<TextLink> links;
    int cutRows = 0; // rows left out to keep the picture within its budget
    ~DrawnGrid();
};

// The most device pixels one table's picture holds (16 MB): rows past it are left out, and
// the table says how many.
inline constexpr qint64 kMaxGridPixels = 4 * 1024 * 1024;

// Lays out and paints `rows` (each a row's cells, the answer renderer's markup; the first row
// the header), each column aligned as `alignments` says (Qt::Alignment values).
std::shared_ptr<const DrawnGrid> drawGrid(const QList<QStringList> &rows, const QList<int> &alignments,
                                          const GridStyle &style);

class TableGrid : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    // Rows of cells (lists of strings), the header first.
    Q_PROPERTY(QVariantList cells READ cells WRITE setCells NOTIFY cellsChanged)
    Q_PROPERTY(QVariantList alignments READ alignments WRITE setAlignments NOTIFY cellsChanged)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY styleChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY styleChanged)
    Q_PROPERTY(QColor headerFill READ headerFill WRITE setHeaderFill NOTIFY styleChanged)
    Q_PROPERTY(QColor zebraFill READ zebraFill WRITE setZebraFill NOTIFY styleChanged)
    Q_PROPERTY(qreal cellPadding READ cellPadding WRITE setCellPadding NOTIFY styleChanged)
    Q_PROPERTY(qreal maxCellWidth READ maxCellWidth WRITE setMaxCellWidth NOTIFY styleChanged)
    // Rows shown (the header included) and rows left out past the picture's budget.
    Q_PROPERTY(int shownRows READ shownRows NOTIFY laidOut)
    Q_PROPERTY(int cutRows READ cutRows NOTIFY laidOut)

public:
    explicit TableGrid(QQuickItem *parent = nullptr);

    QVariantList cells() const { return m_cells; }
    void setCells(const QVariantList &cells);
    QVariantList alignments() const { return m_alignments; }
    void setAlignments(const QVariantList &alignments);
    QFont font() const { return m_style.font; }
    void setFont(const QFont &font);
    QColor color() const { return m_style.color; }
    void setColor(const QColor &color);
    QColor headerFill() const { return m_style.headerFill; }
    void setHeaderFill(const QColor &color);
    QColor zebraFill() const { return m_style.zebraFill; }
    void setZebraFill(const QColor &color);
    qreal cellPadding() const { return m_style.cellPadding; }
    void setCellPadding(qreal padding);
    qreal maxCellWidth() const { return m_style.maxCellWidth; }
    void setMaxCellWidth(qreal width);
    int shownRows() const { return m_drawn ? int(m_drawn->rowY.size()) - 1 : 0; }
    int cutRows() const { return m_drawn ? m_drawn->cutRows : 0; }

    // Where a cell is, in the item's coordinates (empty for a cell not shown).
    Q_INVOKABLE QRectF cellRect(int row, int column) const;
    // The link at a point of the item, or empty.
    Q_INVOKABLE QString linkAt(qreal x, qreal y) const;
    // What is shown now (tests).
    std::shared_ptr<const DrawnGrid> drawn() const { return m_drawn; }

    // Lays the grid out now if a change waits (see TextLayoutBatch).
    void relayout();

Q_SIGNALS:
    void cellsChanged();
    void styleChanged();
    void laidOut();
    void linkActivated(const QString &link);

protected:
    void componentComplete() override;
    QSGNode *updatePaintNode(QSGNode *node, UpdatePaintNodeData *) override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void changed();

    QVariantList m_cells;
    QVariantList m_alignments;
    GridStyle m_style;
    std::shared_ptr<const DrawnGrid> m_drawn;
    QString m_pressedLink;
    bool m_stale = true;
    bool m_textureStale = true;
};

} // namespace vexa::answer
