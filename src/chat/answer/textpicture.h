#pragma once

// A text block of an answer (prose, a quote, a heading, a list) laid out and painted into one
// picture, shown in a single image node. A Text lays its text out on the main thread when a
// bubble shows an answer and makes a node per run of glyphs; texts of answers about to scroll
// into view are instead drawn ahead on the highlighter's worker, in the style the same kind of
// text was last shown in, so the frame that shows them only takes a picture. Rich text (a text
// with formulas, whose pictures come from the "vexamath" provider) is drawn the same way.
//
// The text is laid out as the message list's selection (a rich-text TextEdit) lays it out, so
// the selection lies exactly over it.
//
//     TextPicture { role: "prose"; inset: block.inset; width: …; text: …; font.pointSize: … }

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QQuickItem>
#include <QRectF>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <memory>

class QTextDocument;

namespace vexa::answer {

struct AnswerBlock;

// How a text is laid out and drawn.
struct TextStyle {
    QFont font;
    QColor color;
    qreal width = 0;      // where lines wrap
    qreal lineHeight = 1; // of the font's, proportional
    qreal devicePixelRatio = 1;
    bool label = false; // plain text, unwrapped (see TextPicture's label)
    bool operator==(const TextStyle &) const = default;
};

struct TextLink {
    QRectF area; // in the picture's coordinates
    QString href;
};

// A text drawn. Plain data, made and read on any thread.
struct DrawnText {
    QSizeF size; // the widest line, and the whole height
    QImage image;
    QList<TextLink> links;
    ~DrawnText();
};

// Lays out and paints `html` (the answer renderer's markup; for a label, plain text) in `style`.
std::shared_ptr<const DrawnText> drawText(const QString &html, const TextStyle &style);

// Bytes held by drawn texts alive now.
qint64 drawnTextBytes();

// While one lives (on the main thread), a text whose properties change is laid out once, when
// the last one ends: a block item lent to another block has its properties set one after
// another, and laying its text out at each would draw it in styles it never shows.
class TextLayoutBatch
{
    Q_DISABLE_COPY(TextLayoutBatch)

public:
    TextLayoutBatch();
    ~TextLayoutBatch();

    // While a batch is open: remembers that `item` is to be laid out by `layout` when the last
    // one ends (once, however often it is asked), and says true. False when none is open.
    static bool defer(QQuickItem *item, void (*layout)(QQuickItem *));
};

// The areas of a laid-out document's links.
QList<TextLink> linksOf(const QTextDocument &doc);
// The address of the link drawn at a point, or empty.
QString linkAt(const QList<TextLink> &links, const QPointF &at);

class TextPicture : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    // Styled or rich text (the answer renderer's, or InlineMath's with formula pictures).
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY styleChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY styleChanged)
    Q_PROPERTY(qreal lineHeight READ lineHeight WRITE setLineHeight NOTIFY styleChanged)
    // Room above the text, part of the item's height.
    Q_PROPERTY(qreal topPadding READ topPadding WRITE setTopPadding NOTIFY styleChanged)
    // Which texts of an answer are drawn like this one ahead of time ("prose", "quote", "list",
    // "heading1" to "heading3"; empty: none), and how far this one is set in from the answer's
    // left edge (texts set in further are that much narrower).
    Q_PROPERTY(QString role READ role WRITE setRole NOTIFY styleChanged)
    Q_PROPERTY(qreal inset READ inset WRITE setInset NOTIFY styleChanged)
    // A label: the text is plain (never markup), on one line per paragraph, the item as wide
    // as its text (a button's or a panel's caption: a picture is cheaper to scroll than a Text).
    Q_PROPERTY(bool label READ label WRITE setLabel NOTIFY styleChanged)
    // The widest line.
    Q_PROPERTY(qreal contentWidth READ contentWidth NOTIFY laidOut)

public:
    explicit TextPicture(QQuickItem *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    QFont font() const { return m_style.font; }
    void setFont(const QFont &font);
    QColor color() const { return m_style.color; }
    void setColor(const QColor &color);
    qreal lineHeight() const { return m_style.lineHeight; }
    void setLineHeight(qreal lineHeight);
    qreal topPadding() const { return m_topPadding; }
    void setTopPadding(qreal padding);
    QString role() const { return m_role; }
    void setRole(const QString &role);
    qreal inset() const { return m_inset; }
    void setInset(qreal inset);
    bool label() const { return m_style.label; }
    void setLabel(bool label);
    qreal contentWidth() const { return m_drawn ? m_drawn->size.width() : 0; }

    // The link at a point of the item, or empty.
    Q_INVOKABLE QString linkAt(qreal x, qreal y) const;
    // What is shown now (tests).
    std::shared_ptr<const DrawnText> drawn() const { return m_drawn; }

    // The ahead-of-time role of a block's text, as its component sets it (empty: none).
    static QString roleOf(const AnswerBlock &block);
    // On the worker: draws the text of a block about to be shown (`html` as its component
    // shows it, formulas set where they are ready) in the style its role was last shown in,
    // and keeps it for the item that shows it. Nothing while no text of the role was shown.
    static void prepare(const AnswerBlock &block, const QString &html);
    // The same for any text of a role, set in by `inset` (a message bubble's: "message").
    static void prepareText(const QString &role, const QString &html, qreal inset);
    // Drawn texts kept, not yet taken (tests).
    static int preparedCount();

Q_SIGNALS:
    void textChanged();
    void styleChanged();
    void laidOut();
    void linkActivated(const QString &link);

protected:
    void componentComplete() override;
    QSGNode *updatePaintNode(QSGNode *node, UpdatePaintNodeData *) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void relayout();

    QString m_text;
    TextStyle m_style;
    qreal m_topPadding = 0;
    QString m_role;
    qreal m_inset = 0;
    std::shared_ptr<const DrawnText> m_drawn;
    TextStyle m_drawnStyle;
    QString m_drawnText;
    QString m_pressedLink;
    bool m_textureStale = true;
};

} // namespace vexa::answer
