#pragma once

// A formula drawn in QML: set once on the worker pool (the result is kept for every item that
// shows the same formula at the same size), then painted with the bundled math font. Until it
// is set the item is empty; a formula that cannot be set says so (`failed`), and its screen
// shows the source instead.

#include "mathlayout.h"

#include <QFutureWatcher>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace vexa::math {

class MathItem : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString tex READ tex WRITE setTex NOTIFY texChanged)
    Q_PROPERTY(bool display READ display WRITE setDisplay NOTIFY texChanged)
    Q_PROPERTY(qreal textSize READ textSize WRITE setTextSize NOTIFY texChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(bool ready READ ready NOTIFY layoutChanged)
    Q_PROPERTY(bool failed READ failed NOTIFY layoutChanged)
    // Height above the baseline (the item's implicit height is this plus the depth).
    Q_PROPERTY(qreal ascent READ ascent NOTIFY layoutChanged)
public:
    explicit MathItem(QQuickItem *parent = nullptr);
    ~MathItem() override;

    QString tex() const { return m_tex; }
    void setTex(const QString &tex);
    bool display() const { return m_display; }
    void setDisplay(bool display);
    qreal textSize() const { return m_textSize; }
    void setTextSize(qreal size);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    bool ready() const { return m_layout && m_layout->ok; }
    bool failed() const { return m_layout && !m_layout->ok; }
    qreal ascent() const;

    void paint(QPainter *painter) override;

    // A formula as the items set it, from the shared results when it has been set before;
    // null when it has not (typesetAsync sets it).
    static std::shared_ptr<const MathLayout> cached(const QString &tex, double size, bool display);
    // Sets a formula (on any thread) and keeps the result where cached() finds it.
    static std::shared_ptr<const MathLayout> typesetAndKeep(const QString &tex, double size, bool display);
    // Sets a formula (on any thread) in the sizes items have lately shown formulas of its kind
    // in, for an answer about to be shown.
    static void typesetAhead(const QString &tex, bool display);
    // Notes a size formulas are shown in (the main thread; the last few are kept).
    static void noteShownSize(double size, bool display);

Q_SIGNALS:
    void texChanged();
    void colorChanged();
    void layoutChanged();

private:
    void typeset();
    void apply(std::shared_ptr<const MathLayout> layout);

    QString m_tex;
    bool m_display = false;
    qreal m_textSize = 15;
    QColor m_color = Qt::black;
    std::shared_ptr<const MathLayout> m_layout;
    std::unique_ptr<QFutureWatcher<std::shared_ptr<const MathLayout>>> m_watcher;
    bool m_pending = false;
};

} // namespace vexa::math
