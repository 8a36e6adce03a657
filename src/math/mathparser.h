#pragma once

// TeX math as assistants write it, parsed into a tree the layout engine sets. Only a known
// subset of commands is accepted: an unknown command, a macro definition (\def, \newcommand,
// ...), a syntax error or input beyond the limits below makes the whole formula fail, and the
// screens show its source instead. Nothing is expanded or executed.

#include <QList>
#include <QString>

#include <memory>

namespace vexa::math {

// TeX's atom classes; they decide the spacing between neighbours.
enum class AtomClass { Ord, Op, Bin, Rel, Open, Close, Punct, Inner };

enum class NodeKind {
    Symbol,    // one character of math (text: its code points; atom: its class)
    Text,      // \text{...}, \operatorname{...}: upright text, spaces kept
    Row,       // children side by side
    Fraction,  // children: numerator, denominator; \binom draws no bar and adds parentheses
    Root,      // children: body [, index]
    Scripts,   // children: base, sub (or empty Row), sup (or empty Row)
    Fenced,    // \left ... \right: open/close delimiters (empty when "."), children: body
    Accent,    // children: body; accent: the accent character; stretchy for \widehat & co
    OverUnder, // \overline, \underline, \overbrace, \underbrace (children: body [, label])
    Space,     // width in mu (18 mu = 1 em)
    Array,     // matrix, cases, aligned...: cells row by row (children), `columns` wide
    Boxed,     // a frame around children[0]
    Colored,   // children[0] in `color`
};

enum class MathVariant { Normal, Upright, Bold, Italic, DoubleStruck, Script, Fraktur };

enum class FracStyle { Auto, Display, Text };

struct Node {
    NodeKind kind = NodeKind::Row;
    AtomClass atom = AtomClass::Ord;
    QString text;            // Symbol, Text; Fenced: open delimiter; Accent: the accent
    QString close;           // Fenced: close delimiter
    MathVariant variant = MathVariant::Normal;
    bool limits = false;     // Symbol of class Op: limits above and below in display style
    bool noLimits = false;   // \nolimits, or operators never taking limits (\int)
    bool forceLimits = false; // \limits: above and below in every style
    bool largeOp = false;    // drawn at the display size in display style (\sum, \int)
    bool bar = true;         // Fraction: false for \binom
    bool stretchy = false;   // Accent, OverUnder: spans the body
    bool over = true;        // OverUnder: above (\overline, \overbrace) or below
    FracStyle style = FracStyle::Auto;
    double mu = 0;           // Space
    int columns = 0;         // Array
    QString align;           // Array: per-column alignment ('l', 'c', 'r')
    int rowGap = 0;          // Array: 1 for cases-like spacing
    QString color;           // Colored: #rrggbb
    QList<std::shared_ptr<Node>> children;
};
using NodePtr = std::shared_ptr<Node>;

// How much a formula may hold; beyond that it is shown as source.
inline constexpr qsizetype kMaxSourceChars = 8000;
inline constexpr int kMaxNesting = 40;
inline constexpr int kMaxNodes = 6000;
inline constexpr int kMaxArrayColumns = 40;
inline constexpr int kMaxArrayCells = 2000;

struct ParseResult {
    NodePtr root;  // null on failure
    QString error; // why it failed (for logs and tests), empty on success
};

ParseResult parseMath(const QString &tex);

// The readable text of a formula, as a screen reader says it ("a в степени 2 плюс b в
// степени 2"); for a failed formula the screens read its source instead.
QString spokenMath(const Node &root);

} // namespace vexa::math
