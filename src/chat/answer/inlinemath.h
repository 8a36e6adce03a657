#pragma once

// Formulas inside a block's text, typeset. A text block hands its styled text to an InlineMath
// and shows what it gives back: the same styled text while there is no formula in it (the
// fast path), else, once every formula is set on the worker pool, rich text where each formula
// is a picture of the typeset formula (served by the "vexamath" image provider) sized so that
// the formula's baseline sits on the line's baseline. Until then, and for a formula that
// cannot be set, the text shows the formula's TeX in the code style.
//
// Rich text places a picture aligned "middle" with its centre (ascent - descent) / 2 above the
// baseline of the text's font; the picture is padded above or below so that the formula's
// own baseline lands there.

#include <QColor>
#include <QFont>
#include <QFutureWatcher>
#include <QObject>
#include <QQuickImageProvider>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

namespace vexa::answer {

class InlineMath : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    // The block's styled text (the answer renderer's html).
    Q_PROPERTY(QString html READ html WRITE setHtml NOTIFY inputChanged)
    // The font and colour of the Text that shows the result.
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY inputChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY inputChanged)
    Q_PROPERTY(qreal devicePixelRatio READ devicePixelRatio WRITE setDevicePixelRatio NOTIFY inputChanged)
    // What the Text shows, and whether it is rich text (Text.RichText) or styled (Text.StyledText).
    Q_PROPERTY(QString text READ text NOTIFY textChanged)
    Q_PROPERTY(bool rich READ rich NOTIFY textChanged)
public:
    explicit InlineMath(QObject *parent = nullptr);
    ~InlineMath() override;

    QString html() const { return m_html; }
    void setHtml(const QString &html);
    QFont font() const { return m_font; }
    void setFont(const QFont &font);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    qreal devicePixelRatio() const { return m_dpr; }
    void setDevicePixelRatio(qreal ratio);
    QString text() const { return m_text; }
    bool rich() const { return m_rich; }

    // The formula's pixel size for a text font (the math font's em a tenth above the text's,
    // as display formulas are set).
    static double formulaPixelSize(const QFont &font);

    struct Piece {
        qsizetype start = 0, length = 0; // of the fallback in the html
        QString tex;
    };
    // The formulas of styled text in order, with where their fallback stands.
    static QList<Piece> formulasIn(const QString &html);
    // Sets and draws the formulas of styled text (on any thread) in the styles texts have
    // lately shown formulas in, so a text about to be shown finds them ready and is laid out
    // once, with its formulas, instead of first with their TeX.
    static void prepareAhead(const QString &html);
    // The rich text a text with formulas shows in a style, on any thread; none while one of
    // its formulas is not set or not drawn in that style.
    static std::optional<QString> composed(const QString &html, const QFont &font, const QColor &color,
                                           qreal devicePixelRatio, double formulaSize);
    // A formula's picture by its address (what the "vexamath" provider serves), on any thread.
    static QImage formulaPicture(const QString &id);

Q_SIGNALS:
    void inputChanged();
    void textChanged();

private:
    void update();
    // Shows the text as it is, runs `work` on the pool, then update() again.
    void onPoolThenUpdate(std::function<void()> work);
    void publish(const QString &text, bool rich);

    QString m_html;
    QFont m_font;
    QColor m_color = Qt::white;
    qreal m_dpr = 1;
    QString m_text;
    bool m_rich = false;
    bool m_pending = false;
    QFutureWatcher<void> *m_watcher = nullptr;
};

// Serves "image://vexamath/<pixel size>/<ratio>/<#aarrggbb>/<pad above>/<pad below>/<TeX>",
// the TeX percent-encoded: the formula drawn at that size and device pixel ratio, padded. Qt
// asks on the main thread; InlineMath has the pictures drawn on the worker pool and kept before
// its text names them, so the answer is a look-up.
class MathImageProvider : public QQuickImageProvider
{
public:
    MathImageProvider();
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;
};

} // namespace vexa::answer
