#include "inlinemath.h"

#include "answermath.h"
#include "mathitem.h"
#include "mathpaint.h"

#include <QCache>
#include <QFontMetricsF>
#include <QMutex>
#include <QGuiApplication>
#include <QPainter>
#include <QQmlEngine>
#include <QScreen>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace vexa::answer {

namespace {

constexpr auto kProvider = "vexamath";
// The formula's em against the text's: math fonts run small beside the interface's sans.
constexpr double kFormulaScale = 1.1;

QString unescaped(QStringView html)
{
    QString out = html.toString();
    out.replace(QLatin1String("&lt;"), QLatin1String("<"));
    out.replace(QLatin1String("&gt;"), QLatin1String(">"));
    out.replace(QLatin1String("&quot;"), QLatin1String("\""));
    out.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return out;
}

// Where the formula's baseline must sit in its picture: rich text centres a picture aligned
// "middle" at textMiddle above the baseline, so the picture is padded until its centre is
// that far above the formula's baseline.
struct Placement {
    int width = 0, height = 0;
    double padAbove = 0, padBelow = 0;
};

Placement place(const vexa::math::MathBox &box, const QFont &font)
{
    const QFontMetricsF metrics(font);
    const double textMiddle = metrics.height() / 2 - metrics.descent();
    const double k = box.depth - box.height + 2 * textMiddle;
    Placement p;
    p.padAbove = std::max(0.0, k);
    p.padBelow = std::max(0.0, -k);
    const double exact = p.padAbove + box.height + box.depth + p.padBelow;
    p.height = int(std::ceil(exact));
    const double extra = (p.height - exact) / 2;
    p.padAbove += extra;
    p.padBelow += extra;
    p.width = std::max(1, int(std::ceil(box.width)));
    return p;
}

// Drawn formulas by their address, shared by every text and the image provider: made on the
// worker pool before a text shows them, so the provider, which Qt asks on the main thread,
// finds them ready. Capped by size; one pushed out is drawn again when asked for.
struct Pictures {
    QMutex mutex;
    QCache<QString, QImage> images{32 * 1024}; // cost in KiB
};

Pictures &pictures()
{
    static Pictures p;
    return p;
}

bool pictureReady(const QString &id)
{
    Pictures &p = pictures();
    QMutexLocker lock(&p.mutex);
    return p.images.contains(id);
}

// The picture an address asks for (see MathImageProvider), drawn and kept; null for an
// address no formula could have (a malformed one, a formula that cannot be set).
QImage drawPicture(const QString &id, QSize *logicalSize)
{
    {
        Pictures &p = pictures();
        QMutexLocker lock(&p.mutex);
        if (const QImage *hit = p.images.object(id)) {
            if (logicalSize)
                *logicalSize = (hit->deviceIndependentSize()).toSize();
            return *hit;
        }
    }
    const QStringList parts = id.split(u'/');
    if (parts.size() < 6)
        return {};
    const double pixelSize = parts.at(0).toDouble();
    const double ratio = std::clamp(parts.at(1).toDouble(), 1.0, 4.0);
    bool colourOk = false;
    const QRgb colour = parts.at(2).toUInt(&colourOk, 16);
    const double padAbove = parts.at(3).toDouble();
    const double padBelow = parts.at(4).toDouble();
    const QString tex = QUrl::fromPercentEncoding(parts.mid(5).join(u'/').toUtf8());
    if (!(pixelSize > 1 && pixelSize < 400) || !colourOk || !(padAbove >= 0) || !(padBelow >= 0)
        || padAbove > 1000 || padBelow > 1000)
        return {};
    const auto layout = vexa::math::MathItem::typesetAndKeep(tex, pixelSize, false);
    if (!layout->ok)
        return {};
    const vexa::math::MathBox &box = layout->box;
    const int width = std::max(1, int(std::ceil(box.width)));
    const int height = std::max(1, int(std::ceil(padAbove + box.height + box.depth + padBelow - 1e-6)));
    QImage image(QSize(int(std::ceil(width * ratio)), int(std::ceil(height * ratio))), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    vexa::math::paintMath(painter, box, QPointF(0, padAbove + box.height), QColor::fromRgba(colour));
    painter.end();
    if (logicalSize)
        *logicalSize = QSize(width, height);
    Pictures &p = pictures();
    QMutexLocker lock(&p.mutex);
    p.images.insert(id, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
    return image;
}

// What a formula's picture shows: its TeX, with punctuation right after it set with it ("$x$,"
// never leaves the comma to start the next line: rich text may break after any picture).
// Widens the pieces over that punctuation.
QStringList drawnFormulas(QList<InlineMath::Piece> &pieces, const QString &html)
{
    QStringList drawn;
    for (InlineMath::Piece &piece : pieces) {
        const qsizetype after = piece.start + piece.length;
        const QChar next = after < html.size() ? html.at(after) : QChar();
        if (QStringView(u",.;:!?)").contains(next)) {
            drawn.append(piece.tex + QStringLiteral("\\text{") + next + u'}');
            ++piece.length;
        } else {
            drawn.append(piece.tex);
        }
    }
    return drawn;
}

// How a text shows its formulas' pictures.
struct PictureStyle {
    QFont font;
    QColor color;
    qreal dpr = 1;
    double size = 0; // the formulas' pixel size for the font
    bool operator==(const PictureStyle &) const = default;
};

// The picture's address (see MathImageProvider).
QString pictureId(const QString &drawnTex, const vexa::math::MathLayout &layout, const PictureStyle &style)
{
    const Placement p = place(layout.box, style.font);
    // Put together piece by piece: the percent-encoded TeX is full of '%'.
    return QString::number(style.size) + u'/' + QString::number(style.dpr) + u'/'
        + QString::number(style.color.rgba(), 16) + u'/' + QString::number(p.padAbove, 'f', 3) + u'/'
        + QString::number(p.padBelow, 'f', 3) + u'/' + QString::fromLatin1(QUrl::toPercentEncoding(drawnTex));
}

// The styles texts lately showed formulas in, newest first (prose, quotes, headings differ).
struct RecentStyles {
    QMutex mutex;
    QList<PictureStyle> styles;
};
constexpr int kRecentStyles = 4;

RecentStyles &recentStyles()
{
    static RecentStyles r;
    return r;
}

void noteStyle(const PictureStyle &style)
{
    RecentStyles &r = recentStyles();
    QMutexLocker lock(&r.mutex);
    if (!r.styles.isEmpty() && r.styles.first() == style)
        return;
    r.styles.removeAll(style);
    r.styles.prepend(style);
    if (r.styles.size() > kRecentStyles)
        r.styles.removeLast();
}

// The rich text of `html` with each formula a picture in `style`; the addresses of pictures
// not drawn yet go to `undrawn` (the text names them all the same).
QString composeRich(const QString &html, const QList<InlineMath::Piece> &pieces, const QStringList &drawn,
                    const QList<std::shared_ptr<const vexa::math::MathLayout>> &layouts,
                    const PictureStyle &style, QStringList *undrawn)
{
    QString rich;
    rich.reserve(html.size() + pieces.size() * 96);
    qsizetype at = 0;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const InlineMath::Piece &piece = pieces.at(i);
        rich += QStringView(html).mid(at, piece.start - at);
        at = piece.start + piece.length;
        if (!layouts.at(i)->ok) {
            rich += QStringView(html).mid(piece.start, piece.length); // its TeX, monospaced
            continue;
        }
        const QString id = pictureId(drawn.at(i), *layouts.at(i), style);
        if (!pictureReady(id))
            undrawn->append(id);
        const Placement p = place(layouts.at(i)->box, style.font);
        rich += QStringLiteral("<img src=\"image://") + QLatin1String(kProvider) + u'/' + id
            + QStringLiteral("\" width=\"") + QString::number(p.width) + QStringLiteral("\" height=\"")
            + QString::number(p.height) + QStringLiteral("\" align=\"middle\">");
    }
    rich += QStringView(html).mid(at);
    return rich;
}

} // namespace

void InlineMath::prepareAhead(const QString &html)
{
    if (!hasInlineMath(html))
        return;
    QList<PictureStyle> styles;
    {
        RecentStyles &r = recentStyles();
        QMutexLocker lock(&r.mutex);
        styles = r.styles;
    }
    QList<Piece> pieces = formulasIn(html);
    const QStringList drawn = drawnFormulas(pieces, html);
    for (const PictureStyle &style : std::as_const(styles)) {
        for (const QString &tex : drawn) {
            const auto layout = vexa::math::MathItem::typesetAndKeep(tex, style.size, false);
            if (!layout->ok)
                continue;
            const QString id = pictureId(tex, *layout, style);
            if (!pictureReady(id))
                drawPicture(id, nullptr);
        }
    }
}

InlineMath::InlineMath(QObject *parent)
    : QObject(parent)
{
}

InlineMath::~InlineMath()
{
    if (m_watcher)
        m_watcher->disconnect(this);
}

void InlineMath::setHtml(const QString &html)
{
    if (html == m_html)
        return;
    m_html = html;
    Q_EMIT inputChanged();
    update();
}

void InlineMath::setFont(const QFont &font)
{
    if (font == m_font)
        return;
    m_font = font;
    Q_EMIT inputChanged();
    update();
}

void InlineMath::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    Q_EMIT inputChanged();
    update();
}

void InlineMath::setDevicePixelRatio(qreal ratio)
{
    if (qFuzzyCompare(ratio, m_dpr) || !(ratio > 0))
        return;
    m_dpr = ratio;
    Q_EMIT inputChanged();
    update();
}

double InlineMath::formulaPixelSize(const QFont &font)
{
    double pixels = font.pixelSize() > 0 ? font.pixelSize() : 0;
    if (pixels <= 0) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
        pixels = std::max(1.0, font.pointSizeF()) * dpi / 72.0;
    }
    return std::round(pixels * kFormulaScale * 4) / 4; // a few sizes, so the cache is shared
}

QList<InlineMath::Piece> InlineMath::formulasIn(const QString &html)
{
    QList<Piece> pieces;
    const QLatin1String open(kInlineMathOpen);
    const QLatin1String close("</font>");
    qsizetype from = 0;
    while (true) {
        const qsizetype start = html.indexOf(open, from);
        if (start < 0)
            break;
        const qsizetype texStart = start + open.size();
        const qsizetype end = html.indexOf(close, texStart);
        if (end < 0)
            break;
        pieces.append({start, end + close.size() - start, unescaped(QStringView(html).mid(texStart, end - texStart))});
        from = end + close.size();
    }
    return pieces;
}

void InlineMath::publish(const QString &text, bool rich)
{
    if (text == m_text && rich == m_rich)
        return;
    m_text = text;
    m_rich = rich;
    Q_EMIT textChanged();
}

void InlineMath::onPoolThenUpdate(std::function<void()> work)
{
    publish(m_html, false);
    if (m_pending) // the run under way calls update() again, which asks for what is still missing
        return;
    m_pending = true;
    if (m_watcher) {
        m_watcher->disconnect(this);
        m_watcher->deleteLater();
    }
    m_watcher = new QFutureWatcher<void>(this);
    connect(m_watcher, &QFutureWatcherBase::finished, this, [this] {
        m_pending = false;
        update();
    });
    m_watcher->setFuture(QtConcurrent::run(std::move(work)));
}

void InlineMath::update()
{
    // Most text has no formula: it is shown as it is, at once.
    if (!hasInlineMath(m_html)) {
        publish(m_html, false);
        return;
    }
    QList<Piece> pieces = formulasIn(m_html);
    const QStringList drawn = drawnFormulas(pieces, m_html);
    const double size = formulaPixelSize(m_font);
    const PictureStyle style{m_font, m_color, m_dpr, size};
    // Texts prepared ahead set and draw their formulas like this one.
    noteStyle(style);
    QStringList missing;
    QList<std::shared_ptr<const vexa::math::MathLayout>> layouts;
    for (const QString &tex : std::as_const(drawn)) {
        auto layout = vexa::math::MathItem::cached(tex, size, false);
        if (!layout)
            missing.append(tex);
        layouts.append(std::move(layout));
    }
    if (!missing.isEmpty()) {
        // The TeX shows until the formulas are set on the pool; then this runs again.
        onPoolThenUpdate([missing, size] {
            for (const QString &tex : missing)
                vexa::math::MathItem::typesetAndKeep(tex, size, false);
        });
        return;
    }
    // Every picture is drawn on the pool before the text shows it.
    QStringList undrawn;
    const QString rich = composeRich(m_html, pieces, drawn, layouts, style, &undrawn);
    if (!undrawn.isEmpty()) {
        onPoolThenUpdate([undrawn] {
            for (const QString &id : undrawn)
                drawPicture(id, nullptr);
        });
        return;
    }
    if (QQmlEngine *engine = qmlEngine(this); engine && !engine->imageProvider(QLatin1String(kProvider)))
        engine->addImageProvider(QLatin1String(kProvider), new MathImageProvider);
    publish(rich, true);
}

std::optional<QString> InlineMath::composed(const QString &html, const QFont &font, const QColor &color,
                                            qreal devicePixelRatio, double formulaSize)
{
    QList<Piece> pieces = formulasIn(html);
    const QStringList drawn = drawnFormulas(pieces, html);
    QList<std::shared_ptr<const vexa::math::MathLayout>> layouts;
    for (const QString &tex : drawn) {
        auto layout = vexa::math::MathItem::cached(tex, formulaSize, false);
        if (!layout)
            return std::nullopt;
        layouts.append(std::move(layout));
    }
    QStringList undrawn;
    QString rich = composeRich(html, pieces, drawn, layouts, {font, color, devicePixelRatio, formulaSize}, &undrawn);
    if (!undrawn.isEmpty())
        return std::nullopt;
    return rich;
}

QImage InlineMath::formulaPicture(const QString &id)
{
    return drawPicture(id, nullptr);
}

MathImageProvider::MathImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

QImage MathImageProvider::requestImage(const QString &id, QSize *size, const QSize &)
{
    QSize logical;
    QImage image = drawPicture(id, &logical);
    if (size && !image.isNull())
        *size = logical;
    return image;
}

} // namespace vexa::answer
