#include "pictures.h"

#include "attachments.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace vexa::service {

namespace {

// A small deterministic generator, so pictures do not depend on Qt's random seed.
class Dice
{
public:
    explicit Dice(quint32 seed) : m_state(seed ? seed : 0x9e3779b9u) {}
    quint32 next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    double unit() { return (next() % 10000) / 10000.0; }
    int range(int lo, int hi) { return lo + int(next() % quint32(hi - lo + 1)); }

private:
    quint32 m_state;
};

bool mentions(const QString &lower, std::initializer_list<const char *> words)
{
    for (const char *w : words) {
        if (lower.contains(QString::fromUtf8(w)))
            return true;
    }
    return false;
}

struct Palette {
    QColor skyTop, skyBottom, ground, accent, sun;
};

Palette paletteFor(const QString &lower, Dice &dice)
{
    if (mentions(lower, {"закат", "рассвет", "sunset", "осен", "огонь", "fire"}))
        return {QColor(72, 32, 96), QColor(250, 140, 70), QColor(60, 30, 40), QColor(255, 200, 90), QColor(255, 230, 150)};
    if (mentions(lower, {"ноч", "космос", "звёзд", "звезд", "луна", "night", "space", "moon"}))
        return {QColor(8, 10, 40), QColor(40, 50, 110), QColor(15, 20, 45), QColor(180, 190, 255), QColor(245, 240, 210)};
    if (mentions(lower, {"лес", "сад", "трав", "forest", "лето", "парк"}))
        return {QColor(120, 190, 230), QColor(210, 235, 220), QColor(40, 110, 60), QColor(90, 170, 80), QColor(255, 240, 170)};
    if (mentions(lower, {"море", "океан", "озер", "вод", "пляж", "sea", "ocean"}))
        return {QColor(90, 170, 240), QColor(200, 230, 250), QColor(20, 90, 160), QColor(250, 250, 255), QColor(255, 245, 190)};
    if (mentions(lower, {"зим", "снег", "winter", "snow", "лёд"}))
        return {QColor(170, 200, 230), QColor(240, 245, 250), QColor(225, 235, 245), QColor(140, 170, 210), QColor(255, 255, 240)};
    const int hue = dice.range(0, 359);
    return {QColor::fromHsv(hue, 150, 120), QColor::fromHsv((hue + 40) % 360, 90, 235),
            QColor::fromHsv((hue + 180) % 360, 120, 90), QColor::fromHsv((hue + 200) % 360, 200, 230),
            QColor::fromHsv((hue + 20) % 360, 60, 255)};
}

void drawMountains(QPainter &p, int w, int h, const Palette &pal, Dice &dice, bool outline)
{
    for (int layer = 0; layer < 3; ++layer) {
        QPainterPath path;
        const double base = h * (0.62 + 0.08 * layer);
        path.moveTo(0, h);
        path.lineTo(0, base);
        double x = 0;
        while (x < w) {
            const double peakW = w * (0.12 + 0.18 * dice.unit());
            path.lineTo(x + peakW / 2, base - h * (0.12 + 0.2 * dice.unit()) / (layer + 1));
            x += peakW;
            path.lineTo(x, base);
        }
        path.lineTo(w, h);
        path.closeSubpath();
        QColor c = pal.ground.lighter(100 + 25 * (2 - layer));
        if (outline) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(c.darker(150), 2));
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(c);
        }
        p.drawPath(path);
    }
}

void drawCity(QPainter &p, int w, int h, const Palette &pal, Dice &dice, bool outline)
{
    double x = 0;
    while (x < w) {
        const double bw = w * (0.06 + 0.08 * dice.unit());
        const double bh = h * (0.2 + 0.35 * dice.unit());
        const QRectF building(x, h * 0.85 - bh, bw - 3, bh);
        p.setPen(outline ? QPen(pal.ground.darker(160), 2) : Qt::NoPen);
        p.setBrush(outline ? QBrush(Qt::NoBrush) : QBrush(pal.ground.lighter(100 + dice.range(0, 60))));
        p.drawRect(building);
        p.setPen(Qt::NoPen);
        p.setBrush(pal.accent);
        for (double wy = building.top() + 8; wy < building.bottom() - 10; wy += 14) {
            for (double wx = building.left() + 5; wx < building.right() - 8; wx += 11) {
                if (dice.next() % 3 == 0)
                    p.drawRect(QRectF(wx, wy, 5, 7));
            }
        }
        x += bw;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(pal.ground.darker(130));
    p.drawRect(QRectF(0, h * 0.85, w, h * 0.15));
}

void drawWaves(QPainter &p, int w, int h, const Palette &pal, Dice &dice)
{
    for (int i = 0; i < 5; ++i) {
        QPainterPath wave;
        const double y = h * (0.6 + 0.08 * i);
        wave.moveTo(0, y);
        for (double x = 0; x <= w; x += w / 8.0)
            wave.quadTo(x + w / 16.0, y - 10 - dice.range(0, 12), x + w / 8.0, y);
        wave.lineTo(w, h);
        wave.lineTo(0, h);
        wave.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(pal.ground.lighter(100 + 15 * (4 - i)));
        p.drawPath(wave);
    }
}

void drawTrees(QPainter &p, int w, int h, const Palette &pal, Dice &dice)
{
    p.setPen(Qt::NoPen);
    p.setBrush(pal.ground);
    p.drawRect(QRectF(0, h * 0.8, w, h * 0.2));
    const int count = dice.range(6, 12);
    for (int i = 0; i < count; ++i) {
        const double x = w * dice.unit();
        const double th = h * (0.18 + 0.2 * dice.unit());
        p.setBrush(QColor(90, 60, 40));
        p.drawRect(QRectF(x - 3, h * 0.82 - th * 0.3, 6, th * 0.3));
        p.setBrush(pal.accent.darker(100 + dice.range(0, 60)));
        QPolygonF crown;
        crown << QPointF(x, h * 0.82 - th) << QPointF(x - th * 0.3, h * 0.82 - th * 0.25)
              << QPointF(x + th * 0.3, h * 0.82 - th * 0.25);
        p.drawPolygon(crown);
    }
}

void drawCat(QPainter &p, int w, int h, const Palette &pal)
{
    // A sitting cat's silhouette: body, head and ears.
    const QColor c = pal.ground.darker(180);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const double cx = w * 0.3, base = h * 0.86;
    p.drawEllipse(QPointF(cx, base - h * 0.09), w * 0.08, h * 0.1);
    p.drawEllipse(QPointF(cx, base - h * 0.22), w * 0.055, h * 0.055);
    QPolygonF ear1, ear2;
    ear1 << QPointF(cx - w * 0.05, base - h * 0.24) << QPointF(cx - w * 0.035, base - h * 0.31)
         << QPointF(cx - w * 0.015, base - h * 0.26);
    ear2 << QPointF(cx + w * 0.05, base - h * 0.24) << QPointF(cx + w * 0.035, base - h * 0.31)
         << QPointF(cx + w * 0.015, base - h * 0.26);
    p.drawPolygon(ear1);
    p.drawPolygon(ear2);
    p.setPen(QPen(c, w * 0.015, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath tail;
    tail.moveTo(cx + w * 0.07, base - h * 0.02);
    tail.quadTo(cx + w * 0.16, base - h * 0.02, cx + w * 0.14, base - h * 0.14);
    p.drawPath(tail);
}

} // namespace

quint32 textSeed(const QString &text)
{
    quint32 hash = 2166136261u;
    for (const char byte : text.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    return hash;
}

QImage drawPicture(const QString &prompt, PictureStyle style)
{
    const int size = style == PictureStyle::Detailed ? 768 : 512;
    const bool sketch = style == PictureStyle::Sketch;
    const QString lower = prompt.toLower();
    Dice dice(textSeed(prompt) ^ (quint32(style) * 0x85ebca6bu));
    const Palette pal = paletteFor(lower, dice);

    QImage image(size, size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (sketch) {
        image.fill(QColor(248, 245, 236));
    } else {
        QLinearGradient sky(0, 0, 0, size);
        sky.setColorAt(0, pal.skyTop);
        sky.setColorAt(1, pal.skyBottom);
        p.fillRect(image.rect(), sky);
    }

    // The sun or moon, with a glow.
    const QPointF sunAt(size * (0.2 + 0.6 * dice.unit()), size * (0.15 + 0.2 * dice.unit()));
    const double sunR = size * (0.06 + 0.05 * dice.unit());
    if (!sketch) {
        QRadialGradient glow(sunAt, sunR * 3);
        glow.setColorAt(0, QColor(pal.sun.red(), pal.sun.green(), pal.sun.blue(), 160));
        glow.setColorAt(1, QColor(pal.sun.red(), pal.sun.green(), pal.sun.blue(), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(sunAt, sunR * 3, sunR * 3);
    }
    p.setPen(sketch ? QPen(QColor(60, 60, 70), 2) : QPen(Qt::NoPen));
    p.setBrush(sketch ? QBrush(Qt::NoBrush) : QBrush(pal.sun));
    p.drawEllipse(sunAt, sunR, sunR);

    if (mentions(lower, {"ноч", "космос", "звёзд", "звезд", "night", "space"}) && !sketch) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 220));
        for (int i = 0; i < 90; ++i)
            p.drawEllipse(QPointF(size * dice.unit(), size * 0.6 * dice.unit()), 1.2, 1.2);
    }

    if (mentions(lower, {"город", "city", "улиц", "дом"}))
        drawCity(p, size, size, pal, dice, sketch);
    else if (mentions(lower, {"море", "океан", "озер", "вод", "пляж", "sea", "ocean"}) && !sketch)
        drawWaves(p, size, size, pal, dice);
    else if (mentions(lower, {"лес", "сад", "дерев", "forest", "парк"}) && !sketch)
        drawTrees(p, size, size, pal, dice);
    else
        drawMountains(p, size, size, pal, dice, sketch);

    if (mentions(lower, {"кот", "кош", "cat"}))
        drawCat(p, size, size, pal);

    // A few floating shapes so different prompts never look alike.
    const int shapes = style == PictureStyle::Detailed ? 9 : 5;
    for (int i = 0; i < shapes; ++i) {
        QColor c = QColor::fromHsv(int(dice.next() % 360), 120, 240, sketch ? 255 : 70);
        p.setPen(sketch ? QPen(c.darker(200), 1.5) : QPen(Qt::NoPen));
        p.setBrush(sketch ? QBrush(Qt::NoBrush) : QBrush(c));
        const double r = size * (0.02 + 0.05 * dice.unit());
        p.drawEllipse(QPointF(size * dice.unit(), size * 0.55 * dice.unit()), r, r);
    }
    p.end();
    return image;
}

QImage editPicture(const QImage &source, const QString &instruction)
{
    QImage image = source.convertToFormat(QImage::Format_RGB32);
    if (qMax(image.width(), image.height()) > 1280)
        image = image.scaled(1280, 1280, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QString lower = instruction.toLower();
    const quint32 seed = textSeed(instruction);

    enum class Kind { Gray, Negative, Warm, Cool, Poster } kind = Kind::Poster;
    if (mentions(lower, {"чёрно-бел", "черно-бел", "ч/б", "сер", "монохром", "black"}))
        kind = Kind::Gray;
    else if (mentions(lower, {"негатив", "инверт", "инверс", "invert"}))
        kind = Kind::Negative;
    else if (mentions(lower, {"тепл", "тёпл", "сепи", "винтаж", "ретро", "закат", "warm"}))
        kind = Kind::Warm;
    else if (mentions(lower, {"холод", "зим", "синий", "ночь", "cool", "cold"}))
        kind = Kind::Cool;
    const QColor tint = QColor::fromHsv(int(seed % 360), 160, 230);

    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int r = qRed(line[x]), g = qGreen(line[x]), b = qBlue(line[x]);
            const int gray = (r * 299 + g * 587 + b * 114) / 1000;
            switch (kind) {
            case Kind::Gray:
                line[x] = qRgb(gray, gray, gray);
                break;
            case Kind::Negative:
                line[x] = qRgb(255 - r, 255 - g, 255 - b);
                break;
            case Kind::Warm:
                line[x] = qRgb(qMin(255, gray * 393 / 300), qMin(255, gray * 349 / 300),
                               qMin(255, gray * 272 / 300));
                break;
            case Kind::Cool:
                line[x] = qRgb(r * 7 / 10, qMin(255, g * 9 / 10 + 10), qMin(255, b + 50));
                break;
            case Kind::Poster: {
                // Four levels per channel, blended with a colour taken from the instruction.
                const auto level = [](int v) { return (v / 64) * 85; };
                line[x] = qRgb((level(r) * 3 + tint.red()) / 4, (level(g) * 3 + tint.green()) / 4,
                               (level(b) * 3 + tint.blue()) / 4);
                break;
            }
            }
        }
    }

    QPainter p(&image);
    const int frame = qMax(4, qMin(image.width(), image.height()) / 25);
    p.setPen(QPen(tint.darker(140), frame, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(frame / 2.0, frame / 2.0, image.width() - frame, image.height() - frame));
    p.end();
    return image;
}

QString describePicture(const QImage &image)
{
    PhotoInfo info;
    describeLook(image, info);
    const QString orientation = image.width() > image.height()   ? QStringLiteral("горизонтальное")
                              : image.width() < image.height() ? QStringLiteral("вертикальное")
                                                               : QStringLiteral("квадратное");
    return QStringLiteral("Изображение %1×%2, %3. Кадр %4, преобладает %5 цвет. "
                          "Чтобы получить картинку, а не описание, выберите другую модель изображений.")
        .arg(image.width())
        .arg(image.height())
        .arg(orientation, info.lightness, info.colour);
}

QString describePrompt(const QString &prompt)
{
    const QString lower = prompt.toLower();
    QString scene = QStringLiteral("горный пейзаж");
    if (mentions(lower, {"город", "city", "улиц", "дом"}))
        scene = QStringLiteral("городской вид");
    else if (mentions(lower, {"море", "океан", "озер", "вод", "пляж", "sea", "ocean"}))
        scene = QStringLiteral("морской пейзаж");
    else if (mentions(lower, {"лес", "сад", "дерев", "forest", "парк"}))
        scene = QStringLiteral("лесной пейзаж");
    return QStringLiteral("По запросу «%1» получился бы %2: крупный план, мягкий свет, спокойная "
                          "палитра. Эта модель отвечает текстом — чтобы нарисовать картинку, "
                          "выберите другую модель изображений.")
        .arg(prompt.simplified(), scene);
}

} // namespace vexa::service
