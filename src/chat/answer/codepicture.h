#pragma once

// Code as a panel shows it, laid out and painted into one picture: lines never wrapped, tabs
// every four columns, each coloured run in its role's colour and style, on the panel's opaque
// ground. Made on the main thread by the item that shows it (CodeText), or ahead of time on the
// highlighter's worker for answers about to scroll into view, in the style code was last shown
// in on screen. Plain data, safe to make and read on any thread.

#include "highlight.h"
#include "rolestyle.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

class QQuickWindow;
class QSGNode;

namespace vexa::answer {

// How code is drawn.
struct CodeStyle {
    QFont font;
    QColor color;  // code in no role
    QColor ground; // the panel's, opaque
    highlight::detail::RoleColors roles{};
    qreal devicePixelRatio = 1;
    bool operator==(const CodeStyle &) const = default;
};

struct CodePicture {
    CodeStyle style;
    QSizeF size;   // in item coordinates
    bool drawn = false; // false: too large for one picture; `image` is empty
    QImage image;
    ~CodePicture();
};

// The largest picture painted, in device pixels (4 MB).
inline constexpr qint64 kMaxCodePicturePixels = 1024 * 1024;

// Lays out and paints `code` with its runs (one list per line) in `style`.
std::shared_ptr<const CodePicture> drawCode(const QString &code, const QList<QList<highlight::Span>> &runs,
                                            const CodeStyle &style);

// The style code was last drawn in on screen, if any has been; what is drawn ahead uses it.
std::optional<CodeStyle> lastCodeStyle();
void setLastCodeStyle(const CodeStyle &style);

// The one image node of an item showing a picture (text or code) at `rect`: made when there is
// none, its texture made again from `image` when `stale` (then cleared). Nothing (and `old`
// deleted) without a window or an image.
QSGNode *pictureNode(QQuickWindow *window, QSGNode *old, const QImage &image, const QRectF &rect, bool &stale);

// Bytes held by pictures alive now. Pictures drawn ahead stop being made past kAheadBudget,
// so answers prepared but never shown cannot hold much.
qint64 codePictureBytes();
inline constexpr qint64 kAheadBudget = 48 * 1024 * 1024;

} // namespace vexa::answer
