#include "mathitem.h"
#include "mathpaint.h"

#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace vexa::math {

namespace {

// What has been set, by formula, size and style; shared by all items and threads. Capped: a
// chat of thousands of formulas keeps the latest ones.
constexpr int kMaxCached = 4000;

struct Cache {
    QMutex mutex;
    QHash<QString, std::shared_ptr<const MathLayout>> layouts;
    // The sizes formulas were lately shown in, newest first: inline [0], display [1].
    QList<double> shownSizes[2];
};
constexpr int kShownSizes = 3;

Cache &cache()
{
    static Cache c;
    return c;
}

QString keyFor(const QString &tex, double size, bool display)
{
    return QString::number(size, 'f', 2) + (display ? u'D' : u'I') + tex;
}

std::shared_ptr<const MathLayout> setAndKeep(const QString &tex, double size, bool display)
{
    auto layout = std::make_shared<const MathLayout>(typesetMath(tex, size, display));
    Cache &c = cache();
    QMutexLocker lock(&c.mutex);
    if (c.layouts.size() >= kMaxCached)
        c.layouts.clear();
    c.layouts.insert(keyFor(tex, size, display), layout);
    return layout;
}

} // namespace

MathItem::MathItem(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

MathItem::~MathItem()
{
    if (m_watcher)
        m_watcher->disconnect(this);
}

std::shared_ptr<const MathLayout> MathItem::typesetAndKeep(const QString &tex, double size, bool display)
{
    if (auto hit = cached(tex, size, display))
        return hit;
    return setAndKeep(tex, size, display);
}

void MathItem::noteShownSize(double size, bool display)
{
    Cache &c = cache();
    QMutexLocker lock(&c.mutex);
    QList<double> &sizes = c.shownSizes[display ? 1 : 0];
    if (!sizes.isEmpty() && sizes.first() == size)
        return;
    sizes.removeAll(size);
    sizes.prepend(size);
    if (sizes.size() > kShownSizes)
        sizes.removeLast();
}

void MathItem::typesetAhead(const QString &tex, bool display)
{
    QList<double> sizes;
    {
        Cache &c = cache();
        QMutexLocker lock(&c.mutex);
        sizes = c.shownSizes[display ? 1 : 0];
    }
    for (const double size : std::as_const(sizes))
        typesetAndKeep(tex, size, display);
}

std::shared_ptr<const MathLayout> MathItem::cached(const QString &tex, double size, bool display)
{
    Cache &c = cache();
    QMutexLocker lock(&c.mutex);
    return c.layouts.value(keyFor(tex, size, display));
}

void MathItem::setTex(const QString &tex)
{
    if (tex == m_tex)
        return;
    m_tex = tex;
    Q_EMIT texChanged();
    typeset();
}

void MathItem::setDisplay(bool display)
{
    if (display == m_display)
        return;
    m_display = display;
    Q_EMIT texChanged();
    typeset();
}

void MathItem::setTextSize(qreal size)
{
    if (qFuzzyCompare(size, m_textSize) || !(size > 1))
        return;
    m_textSize = size;
    Q_EMIT texChanged();
    typeset();
}

void MathItem::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    Q_EMIT colorChanged();
    update();
}

qreal MathItem::ascent() const
{
    return ready() ? std::ceil(m_layout->box.height) : 0;
}

void MathItem::typeset()
{
    // Properties arrive one by one while the item is made: set once, after the last of them.
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(this, [this] {
        m_pending = false;
        if (m_tex.isEmpty()) {
            apply(nullptr);
            return;
        }
        noteShownSize(m_textSize, m_display);
        if (auto hit = cached(m_tex, m_textSize, m_display)) {
            apply(std::move(hit));
            return;
        }
        if (m_watcher)
            m_watcher->disconnect(this);
        m_watcher = std::make_unique<QFutureWatcher<std::shared_ptr<const MathLayout>>>();
        auto *watcher = m_watcher.get();
        const QString tex = m_tex;
        const double size = m_textSize;
        const bool display = m_display;
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, tex, size, display] {
            // A result for what the item shows now; an older one is only kept in the cache.
            if (tex == m_tex && size == m_textSize && display == m_display)
                apply(watcher->result());
        });
        watcher->setFuture(QtConcurrent::run([tex, size, display] { return setAndKeep(tex, size, display); }));
    }, Qt::QueuedConnection);
}

void MathItem::apply(std::shared_ptr<const MathLayout> layout)
{
    m_layout = std::move(layout);
    if (ready()) {
        setImplicitSize(std::ceil(m_layout->box.width), std::ceil(m_layout->box.height) + std::ceil(m_layout->box.depth));
    } else {
        setImplicitSize(0, 0);
    }
    Q_EMIT layoutChanged();
    update();
}

void MathItem::paint(QPainter *painter)
{
    if (ready())
        paintMath(*painter, m_layout->box, QPointF(0, std::ceil(m_layout->box.height)), m_color);
}

} // namespace vexa::math
