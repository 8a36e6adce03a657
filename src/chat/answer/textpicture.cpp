#include "textpicture.h"

#include "answerblocks.h"
#include "answermath.h"
#include "codepicture.h"
#include "inlinemath.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QMutex>
#include <QPainter>
#include <QPointer>
#include <QQuickWindow>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>

namespace vexa::answer {

namespace {

std::atomic<qint64> g_bytes{0};

// Drawn texts waiting for the item that shows them. Answers prepared but never shown must not
// pile up: past the budget the oldest go (an item not finding its text draws it itself).
constexpr qint64 kPreparedBudget = 32 * 1024 * 1024;

struct PreparedEntry {
    size_t hash;
    QString text;
    TextStyle style;
    std::shared_ptr<const DrawnText> drawn;
    // How many rows about to be shown have this text (the same answer may come again): each
    // showing takes it, the last one removes it.
    int wanted = 1;
};

struct Prepared {
    QMutex mutex;
    std::deque<PreparedEntry> entries; // oldest first
    qint64 bytes = 0;
};

Prepared &prepared()
{
    static Prepared p;
    return p;
}

// The entry of a text in a style; with the mutex held.
std::deque<PreparedEntry>::iterator findPrepared(Prepared &p, const QString &text, const TextStyle &style)
{
    const size_t hash = qHash(text);
    return std::find_if(p.entries.begin(), p.entries.end(), [&](const PreparedEntry &entry) {
        return entry.hash == hash && entry.style == style && entry.text == text;
    });
}

std::shared_ptr<const DrawnText> takePrepared(const QString &text, const TextStyle &style)
{
    Prepared &p = prepared();
    QMutexLocker lock(&p.mutex);
    const auto it = findPrepared(p, text, style);
    if (it == p.entries.end())
        return nullptr;
    auto drawn = it->drawn;
    if (--it->wanted == 0) {
        p.bytes -= drawn->image.sizeInBytes();
        p.entries.erase(it);
    }
    return drawn;
}

// Whether the text is kept drawn in the style already; if so, one more showing will take it.
bool wantPreparedAgain(const QString &text, const TextStyle &style)
{
    Prepared &p = prepared();
    QMutexLocker lock(&p.mutex);
    const auto it = findPrepared(p, text, style);
    if (it == p.entries.end())
        return false;
    ++it->wanted;
    return true;
}

void keepPrepared(const QString &text, const TextStyle &style, std::shared_ptr<const DrawnText> drawn)
{
    Prepared &p = prepared();
    QMutexLocker lock(&p.mutex);
    if (const auto it = findPrepared(p, text, style); it != p.entries.end()) {
        ++it->wanted; // drawn meanwhile by another worker
        return;
    }
    p.bytes += drawn->image.sizeInBytes();
    p.entries.push_back({qHash(text), text, style, std::move(drawn)});
    while (p.bytes > kPreparedBudget && !p.entries.empty()) {
        p.bytes -= p.entries.front().drawn->image.sizeInBytes();
        p.entries.pop_front();
    }
}

// The style each role of text was last shown in, with the width of the answer it was in (the
// text's own width plus its inset) and its formulas' size: what texts are drawn ahead in.
struct Recent {
    TextStyle style;
    qreal viewWidth = 0;
    double formulaSize = 0;
};

struct RecentRoles {
    QMutex mutex;
    QHash<QString, Recent> roles;
};

RecentRoles &recentRoles()
{
    static RecentRoles r;
    return r;
}

// As AnswerBlock's innerMaxWidth: a text is never laid out narrower.
constexpr qreal kMinTextWidth = 120;

// Formula pictures are looked up where the text names them (they are drawn before it does).
class FormulaDocument : public QTextDocument
{
protected:
    QVariant loadResource(int type, const QUrl &name) override
    {
        if (type == QTextDocument::ImageResource && name.scheme() == QLatin1String("image")
            && name.host() == QLatin1String("vexamath")) {
            const QImage image = InlineMath::formulaPicture(name.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority).mid(1));
            if (!image.isNull())
                return image;
        }
        return {}; // nothing else is fetched: text from the service names no resources
    }
};

} // namespace

QList<TextLink> linksOf(const QTextDocument &doc)
{
    QList<TextLink> links;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString href = fragment.charFormat().anchorHref();
            if (!fragment.charFormat().isAnchor() || href.isEmpty())
                continue;
            const int start = fragment.position() - block.position();
            const int end = start + fragment.length();
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                const int from = std::max(start, line.textStart());
                const int to = std::min(end, line.textStart() + line.textLength());
                if (from >= to)
                    continue;
                const qreal x1 = line.cursorToX(from);
                const qreal x2 = line.cursorToX(to);
                links.append({QRectF(std::min(x1, x2), line.y(), std::abs(x2 - x1), line.height())
                                  .translated(layout->position()),
                              href});
            }
        }
    }
    return links;
}

namespace {

// Labels drawn lately (main thread only): a pooled code panel shows the same few language names
// and button captions over and over, and drawing one each time it is lent costs more than the
// frame it shows in has to spare.
constexpr int kKeptLabels = 48;

struct KeptLabel {
    QString text;
    TextStyle style;
    std::shared_ptr<const DrawnText> drawn;
};

std::shared_ptr<const DrawnText> shownLabel(const QString &text, const TextStyle &style)
{
    static std::deque<KeptLabel> kept; // most lately used first
    const auto it = std::find_if(kept.begin(), kept.end(),
                                 [&](const KeptLabel &label) { return label.text == text && label.style == style; });
    if (it != kept.end()) {
        KeptLabel found = std::move(*it);
        kept.erase(it);
        kept.push_front(std::move(found));
        return kept.front().drawn;
    }
    kept.push_front({text, style, drawText(text, style)});
    if (kept.size() > kKeptLabels)
        kept.pop_back();
    return kept.front().drawn;
}

// Items waiting for the batch to end (see TextLayoutBatch); main thread only.
struct Deferred {
    QPointer<QQuickItem> item;
    void (*layout)(QQuickItem *);
};
int g_batchDepth = 0;
QList<Deferred> g_deferred;

} // namespace

TextLayoutBatch::TextLayoutBatch()
{
    ++g_batchDepth;
}

TextLayoutBatch::~TextLayoutBatch()
{
    if (--g_batchDepth > 0)
        return;
    const QList<Deferred> deferred = std::exchange(g_deferred, {});
    for (const Deferred &entry : deferred) {
        if (entry.item)
            entry.layout(entry.item);
    }
}

bool TextLayoutBatch::defer(QQuickItem *item, void (*layout)(QQuickItem *))
{
    if (g_batchDepth == 0)
        return false;
    const bool waiting = std::any_of(g_deferred.cbegin(), g_deferred.cend(),
                                     [item](const Deferred &entry) { return entry.item == item; });
    if (!waiting)
        g_deferred.append({item, layout});
    return true;
}

DrawnText::~DrawnText()
{
    g_bytes -= image.sizeInBytes();
}

qint64 drawnTextBytes()
{
    return g_bytes.load();
}

std::shared_ptr<const DrawnText> drawText(const QString &html, const TextStyle &style)
{
    FormulaDocument doc;
    doc.setDocumentMargin(0);
    doc.setDefaultFont(style.font);
    if (style.label)
        doc.setPlainText(html);
    else
        doc.setHtml(html);
    if (!qFuzzyCompare(style.lineHeight, 1.0)) {
        QTextCursor cursor(&doc);
        cursor.select(QTextCursor::Document);
        QTextBlockFormat format;
        format.setLineHeight(style.lineHeight * 100, QTextBlockFormat::ProportionalHeight);
        cursor.mergeBlockFormat(format);
    }
    // A label is as wide as its text; anything else wraps at its width.
    const qreal wrapAt = style.label ? std::ceil(doc.idealWidth()) + 2 : std::max<qreal>(1, style.width);
    doc.setTextWidth(wrapAt);

    auto drawn = std::make_shared<DrawnText>();
    drawn->size = QSizeF(std::min(wrapAt, doc.idealWidth()), doc.size().height());
    drawn->links = linksOf(doc);
    // A little room past the widest line for a slanted letter's overhang.
    const qreal width = std::min(std::ceil(drawn->size.width()) + 2, std::ceil(wrapAt));
    const QSize pixels(int(std::ceil(width * style.devicePixelRatio)),
                       int(std::ceil(drawn->size.height() * style.devicePixelRatio)));
    if (pixels.isEmpty())
        return drawn;
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(style.devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, style.color);
    doc.documentLayout()->draw(&painter, context);
    painter.end();
    drawn->image = std::move(image);
    g_bytes += drawn->image.sizeInBytes();
    return drawn;
}

QString TextPicture::roleOf(const AnswerBlock &block)
{
    switch (block.kind) {
    case BlockKind::Prose: return QStringLiteral("prose");
    case BlockKind::Quote: return QStringLiteral("quote");
    case BlockKind::List: return QStringLiteral("list");
    case BlockKind::Heading: return QStringLiteral("heading%1").arg(std::clamp(block.level, 1, 3));
    default: return {};
    }
}

void TextPicture::prepare(const AnswerBlock &block, const QString &html)
{
    prepareText(roleOf(block), html, blockInset(block));
}

void TextPicture::prepareText(const QString &role, const QString &html, qreal inset)
{
    if (drawnTextBytes() >= kAheadBudget)
        return; // many are alive already: these are drawn where they are shown
    Recent recent;
    {
        RecentRoles &r = recentRoles();
        QMutexLocker lock(&r.mutex);
        const auto it = r.roles.constFind(role);
        if (it == r.roles.cend())
            return;
        recent = *it;
    }
    QString shown = html;
    if (hasInlineMath(html)) {
        const auto rich = InlineMath::composed(html, recent.style.font, recent.style.color,
                                               recent.style.devicePixelRatio, recent.formulaSize);
        if (!rich)
            return; // a formula is not ready: the text is laid out where it is shown
        shown = *rich;
    }
    TextStyle style = recent.style;
    style.width = std::max(kMinTextWidth, recent.viewWidth - inset);
    if (!wantPreparedAgain(shown, style))
        keepPrepared(shown, style, drawText(shown, style));
}

int TextPicture::preparedCount()
{
    Prepared &p = prepared();
    QMutexLocker lock(&p.mutex);
    return int(p.entries.size());
}

TextPicture::TextPicture(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

void TextPicture::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    relayout();
    Q_EMIT textChanged();
}

void TextPicture::setFont(const QFont &font)
{
    if (font == m_style.font)
        return;
    m_style.font = font;
    relayout();
    Q_EMIT styleChanged();
}

void TextPicture::setColor(const QColor &color)
{
    if (color == m_style.color)
        return;
    m_style.color = color;
    relayout();
    Q_EMIT styleChanged();
}

void TextPicture::setLineHeight(qreal lineHeight)
{
    if (qFuzzyCompare(lineHeight, m_style.lineHeight) || !(lineHeight > 0))
        return;
    m_style.lineHeight = lineHeight;
    relayout();
    Q_EMIT styleChanged();
}

void TextPicture::setTopPadding(qreal padding)
{
    if (qFuzzyCompare(padding + 1, m_topPadding + 1))
        return;
    m_topPadding = padding;
    relayout();
    Q_EMIT styleChanged();
}

void TextPicture::setRole(const QString &role)
{
    if (role == m_role)
        return;
    m_role = role;
    Q_EMIT styleChanged();
}

void TextPicture::setInset(qreal inset)
{
    if (qFuzzyCompare(inset + 1, m_inset + 1))
        return;
    m_inset = inset;
    Q_EMIT styleChanged();
}

void TextPicture::setLabel(bool label)
{
    if (label == m_style.label)
        return;
    m_style.label = label;
    relayout();
    Q_EMIT styleChanged();
}

void TextPicture::componentComplete()
{
    QQuickItem::componentComplete();
    relayout();
}

void TextPicture::relayout()
{
    if (!isComponentComplete())
        return;
    if (TextLayoutBatch::defer(this, [](QQuickItem *item) { static_cast<TextPicture *>(item)->relayout(); }))
        return;
    TextStyle style = m_style;
    style.width = m_style.label ? 0 : width(); // a label's width follows its text
    style.devicePixelRatio = window() ? window()->effectiveDevicePixelRatio() : qApp->devicePixelRatio();
    if (!m_drawn || style != m_drawnStyle || m_text != m_drawnText) {
        auto drawn = style.label ? shownLabel(m_text, style) : takePrepared(m_text, style);
        if (!drawn) {
            drawn = drawText(m_text, style);
            // Texts of this role prepared from now on are drawn as this one is.
            if (!m_role.isEmpty() && style.width > kMinTextWidth) {
                RecentRoles &r = recentRoles();
                QMutexLocker lock(&r.mutex);
                r.roles.insert(m_role, {style, style.width + m_inset, InlineMath::formulaPixelSize(style.font)});
            }
        }
        m_drawn = std::move(drawn);
        m_drawnStyle = style;
        m_drawnText = m_text;
        m_textureStale = true;
        setAcceptedMouseButtons(m_drawn->links.isEmpty() ? Qt::NoButton : Qt::LeftButton);
        update();
    }
    setImplicitSize(m_drawn->size.width(), m_drawn->size.height() + m_topPadding);
    Q_EMIT laidOut();
}

QString linkAt(const QList<TextLink> &links, const QPointF &at)
{
    for (const TextLink &link : links) {
        if (link.area.contains(at))
            return link.href;
    }
    return {};
}

QString TextPicture::linkAt(qreal x, qreal y) const
{
    return m_drawn ? answer::linkAt(m_drawn->links, QPointF(x, y - m_topPadding)) : QString();
}

void TextPicture::mousePressEvent(QMouseEvent *event)
{
    m_pressedLink = linkAt(event->position().x(), event->position().y());
    event->setAccepted(!m_pressedLink.isEmpty());
}

void TextPicture::mouseReleaseEvent(QMouseEvent *event)
{
    const QString link = linkAt(event->position().x(), event->position().y());
    if (!link.isEmpty() && link == m_pressedLink)
        Q_EMIT linkActivated(link);
    m_pressedLink.clear();
}

QSGNode *TextPicture::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    if (!m_drawn) {
        delete old;
        return nullptr;
    }
    return pictureNode(window(), old, m_drawn->image,
                       QRectF(QPointF(0, m_topPadding), m_drawn->image.deviceIndependentSize()), m_textureStale);
}

void TextPicture::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (!m_style.label && !qFuzzyCompare(newGeometry.width(), oldGeometry.width()))
        relayout();
}

void TextPicture::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemDevicePixelRatioHasChanged || (change == ItemSceneChange && value.window))
        relayout();
}

} // namespace vexa::answer
