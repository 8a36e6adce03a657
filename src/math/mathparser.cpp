#include "mathparser.h"
#include "mathsymbols.h"

#include <QHash>

#include <optional>
#include <utility>

namespace vexa::math {
namespace {

// Thrown only inside the parser and caught by parseMath.
struct ParseError {
    QString why;
};

NodePtr make(NodeKind kind)
{
    auto n = std::make_shared<Node>();
    n->kind = kind;
    return n;
}

NodePtr symbol(char32_t c, AtomClass atom)
{
    auto n = make(NodeKind::Symbol);
    n->text = QString::fromUcs4(&c, 1);
    n->atom = atom;
    return n;
}

class Parser {
public:
    explicit Parser(const QString &s) : m_s(s) { }

    NodePtr parseAll()
    {
        auto row = parseRow();
        skipSpace();
        if (m_pos < m_s.size())
            fail(QStringLiteral("unexpected ") + m_s.mid(m_pos, 8));
        return row;
    }

private:
    [[noreturn]] void fail(const QString &why) { throw ParseError{why}; }

    NodePtr node(NodeKind kind)
    {
        if (++m_nodes > kMaxNodes)
            fail(QStringLiteral("too many nodes"));
        if (m_depth > kMaxNesting)
            fail(QStringLiteral("nesting"));
        return make(kind);
    }

    void skipSpace()
    {
        while (m_pos < m_s.size() && m_s.at(m_pos).isSpace())
            ++m_pos;
    }
    bool atEnd() { skipSpace(); return m_pos >= m_s.size(); }
    QChar peek() { skipSpace(); return m_pos < m_s.size() ? m_s.at(m_pos) : QChar(); }

    // The name of the command at m_pos (after its backslash), without consuming it.
    QString peekCommand()
    {
        skipSpace();
        if (m_pos >= m_s.size() || m_s.at(m_pos) != u'\\' || m_pos + 1 >= m_s.size())
            return {};
        qsizetype end = m_pos + 1;
        if (!m_s.at(end).isLetter() || m_s.at(end).unicode() > 127)
            return m_s.mid(end, 1);
        while (end < m_s.size() && m_s.at(end).isLetter() && m_s.at(end).unicode() < 128)
            ++end;
        return m_s.mid(m_pos + 1, end - m_pos - 1);
    }
    QString takeCommand()
    {
        const QString name = peekCommand();
        m_pos += 1 + name.size();
        return name;
    }

    QString color(const QString &name)
    {
        const std::optional<QString> c = readableColor(name);
        if (!c)
            fail(QStringLiteral("unknown colour ") + name);
        return *c;
    }

    void expect(QChar c)
    {
        if (peek() != c)
            fail(QStringLiteral("expected ") + c);
        ++m_pos;
    }

    // A braced group as raw characters (for \text, environment names, colours).
    QString rawGroup()
    {
        expect(u'{');
        int depth = 1;
        QString out;
        while (m_pos < m_s.size()) {
            const QChar c = m_s.at(m_pos++);
            if (c == u'\\' && m_pos < m_s.size()) {
                const QChar e = m_s.at(m_pos);
                if (e == u'{' || e == u'}' || e == u'%' || e == u'$' || e == u'&' || e == u'_' || e == u'#') {
                    out += e;
                    ++m_pos;
                    continue;
                }
                if (e == u',' || e == u' ' || e == u';') {
                    out += u' ';
                    ++m_pos;
                    continue;
                }
                fail(QStringLiteral("command inside text"));
            }
            if (c == u'$')
                fail(QStringLiteral("math inside text"));
            if (c == u'{')
                ++depth;
            else if (c == u'}' && --depth == 0)
                return out;
            if (depth > kMaxNesting)
                fail(QStringLiteral("nesting"));
            if (c != u'{' && c != u'}')
                out += c == u'~' ? QChar(u' ') : c;
        }
        fail(QStringLiteral("unclosed group"));
    }

    // One argument: a braced group or a single token.
    NodePtr argument()
    {
        if (atEnd())
            fail(QStringLiteral("missing argument"));
        if (peek() == u'{')
            return group();
        auto a = atom();
        if (!a)
            fail(QStringLiteral("missing argument"));
        return a;
    }

    NodePtr group()
    {
        expect(u'{');
        if (++m_depth > kMaxNesting)
            fail(QStringLiteral("nesting"));
        const bool inIndex = std::exchange(m_inIndex, false); // {[0,1]} in a root's index
        auto row = parseRow();
        m_inIndex = inIndex;
        expect(u'}');
        --m_depth;
        return row;
    }

    // A row of atoms up to a closing brace, an alignment mark, \\, \right, \end or the end.
    NodePtr parseRow()
    {
        auto row = node(NodeKind::Row);
        while (!atEnd()) {
            const QChar c = peek();
            if (c == u'}' || c == u'&' || (c == u']' && m_inIndex))
                break;
            const QString cmd = peekCommand();
            if (cmd == u"\\" || cmd == u"right" || cmd == u"end" || cmd == u"middle")
                break;
            if (c == u'^' || c == u'_' || c == u'\'') {
                NodePtr base = row->children.isEmpty() ? node(NodeKind::Row) : row->children.takeLast();
                row->children.append(scripts(base));
                continue;
            }
            if (cmd == u"limits" || cmd == u"nolimits") {
                takeCommand();
                if (row->children.isEmpty() || row->children.last()->atom != AtomClass::Op)
                    fail(QStringLiteral("limits without an operator"));
                row->children.last()->limits = cmd == u"limits";
                row->children.last()->noLimits = cmd == u"nolimits";
                row->children.last()->forceLimits = cmd == u"limits";
                continue;
            }
            if (cmd == u"color") {
                takeCommand();
                auto colored = node(NodeKind::Colored);
                colored->color = color(rawGroup());
                colored->children.append(parseRow());
                row->children.append(colored);
                continue;
            }
            auto a = atom();
            if (a)
                row->children.append(a);
        }
        return row;
    }

    NodePtr scripts(NodePtr base)
    {
        auto s = node(NodeKind::Scripts);
        NodePtr sub, sup;
        while (!atEnd()) {
            const QChar c = peek();
            if (c == u'\'') {
                QString primes;
                while (m_pos < m_s.size() && m_s.at(m_pos) == u'\'') {
                    primes += QChar(0x2032);
                    ++m_pos;
                }
                if (sup)
                    fail(QStringLiteral("double superscript"));
                sup = node(NodeKind::Row);
                auto p = node(NodeKind::Symbol);
                p->text = primes;
                sup->children.append(p);
                continue;
            }
            if (c != u'^' && c != u'_')
                break;
            ++m_pos;
            if (++m_depth > kMaxNesting)
                fail(QStringLiteral("nesting"));
            auto arg = argument();
            --m_depth;
            NodePtr &slot = c == u'^' ? sup : sub;
            if (slot && !(c == u'^' && slot->children.size() == 1
                          && slot->children.first()->text.startsWith(QChar(0x2032)))) {
                fail(QStringLiteral("double script"));
            }
            if (slot) { // x'^2: the primes first, then the superscript
                slot->children.append(arg);
            } else {
                slot = arg;
            }
        }
        s->children = {base, sub ? sub : node(NodeKind::Row), sup ? sup : node(NodeKind::Row)};
        return s;
    }

    QString delimiter()
    {
        if (atEnd())
            fail(QStringLiteral("missing delimiter"));
        const QChar c = peek();
        if (c != u'\\') {
            ++m_pos;
            if (QStringLiteral("()[]|/.<>").contains(c))
                return c == u'.' ? QString() : c == u'<' ? QString(QChar(0x27E8))
                     : c == u'>' ? QString(QChar(0x27E9)) : QString(c);
            fail(QStringLiteral("bad delimiter"));
        }
        const QString name = takeCommand();
        const SymbolInfo *s = findSymbol(name);
        if (!s || (s->atom != AtomClass::Open && s->atom != AtomClass::Close && name != u"vert"
                   && name != u"Vert" && name != u"|" && name != u"uparrow" && name != u"downarrow"))
            fail(QStringLiteral("bad delimiter ") + name);
        return QString::fromUcs4(&s->code, 1);
    }

    void applyVariant(Node &n, MathVariant v)
    {
        if (n.kind == NodeKind::Symbol && n.variant == MathVariant::Normal)
            n.variant = v;
        for (auto &c : n.children)
            applyVariant(*c, v);
    }

    NodePtr environment()
    {
        const QString name = rawGroup();
        auto arr = node(NodeKind::Array);
        QString open, close, align;
        if (name == u"matrix" || name == u"smallmatrix") { }
        else if (name == u"pmatrix") { open = "("; close = ")"; }
        else if (name == u"bmatrix") { open = "["; close = "]"; }
        else if (name == u"Bmatrix") { open = "{"; close = "}"; }
        else if (name == u"vmatrix") { open = "|"; close = "|"; }
        else if (name == u"Vmatrix") { open = QChar(0x2016); close = QChar(0x2016); }
        else if (name == u"cases") { open = "{"; align = "ll"; arr->rowGap = 1; }
        else if (name == u"aligned" || name == u"align" || name == u"align*" || name == u"split"
                 || name == u"alignat" || name == u"alignat*") { align = "rl"; arr->rowGap = 1; }
        else if (name == u"gather" || name == u"gather*" || name == u"gathered"
                 || name == u"equation" || name == u"equation*") { align = "c"; arr->rowGap = 1; }
        else if (name == u"array") {
            for (QChar c : rawGroup())
                if (c == u'l' || c == u'c' || c == u'r')
                    align += c;
                else if (c != u'|' && !c.isSpace())
                    fail(QStringLiteral("array column ") + c);
        } else {
            fail(QStringLiteral("unknown environment ") + name);
        }
        if (name == u"alignat" || name == u"alignat*")
            rawGroup();
        if (++m_depth > kMaxNesting)
            fail(QStringLiteral("nesting"));
        QList<QList<NodePtr>> rows{{}};
        for (;;) {
            rows.last().append(parseRow());
            if (rows.last().size() > kMaxArrayColumns)
                fail(QStringLiteral("too many columns"));
            if (atEnd())
                fail(QStringLiteral("environment never closed"));
            if (peek() == u'&') {
                ++m_pos;
                continue;
            }
            const QString cmd = takeCommand();
            if (cmd == u"\\") {
                if (peek() == u'[') { // \\[2pt]: extra row space, not kept
                    const qsizetype end = m_s.indexOf(u']', m_pos);
                    if (end < 0)
                        fail(QStringLiteral("unclosed row space"));
                    m_pos = end + 1;
                }
                rows.append(QList<NodePtr>());
                continue;
            }
            if (cmd == u"end") {
                if (rawGroup() != name)
                    fail(QStringLiteral("mismatched end"));
                break;
            }
            fail(QStringLiteral("unexpected ") + cmd);
        }
        --m_depth;
        // A trailing \\ leaves an empty last row.
        if (rows.size() > 1 && rows.last().size() == 1 && rows.last().first()->children.isEmpty())
            rows.removeLast();
        int columns = 0;
        for (const auto &r : rows)
            columns = std::max<int>(columns, r.size());
        if (qsizetype(columns) * rows.size() > kMaxArrayCells)
            fail(QStringLiteral("too many cells"));
        arr->columns = columns;
        const bool pairs = align == u"rl";
        for (auto &r : rows) {
            while (r.size() < columns)
                r.append(node(NodeKind::Row));
            for (int c = 1; pairs && c < r.size(); c += 2) // "&= b": the relation keeps its space
                r[c]->children.prepend(node(NodeKind::Row));
            arr->children.append(r);
        }
        if (align.isEmpty())
            align = QString(columns, u'c');
        while (align.size() < columns)
            align += name.startsWith(u"align") || name == u"split" ? align.right(2) : align.right(1);
        arr->align = align.left(columns);
        if (open.isEmpty() && close.isEmpty())
            return arr;
        auto fenced = node(NodeKind::Fenced);
        fenced->text = open;
        fenced->close = close;
        fenced->children.append(arr);
        return fenced;
    }

    NodePtr command()
    {
        const QString name = takeCommand();
        if (name.isEmpty())
            fail(QStringLiteral("lone backslash"));
        if (const SymbolInfo *s = findSymbol(name))
            return symbol(s->code, s->atom);
        if (const OperatorInfo *o = findOperator(name)) {
            auto n = node(o->code ? NodeKind::Symbol : NodeKind::Text);
            n->text = o->code ? QString::fromUcs4(&o->code, 1) : name;
            n->atom = AtomClass::Op;
            n->limits = o->limits;
            n->noLimits = !o->limits;
            n->largeOp = o->code != 0;
            return n;
        }
        if (const auto mu = spaceWidth(name)) {
            auto n = node(NodeKind::Space);
            n->mu = *mu;
            return n;
        }
        if (name == u"frac" || name == u"dfrac" || name == u"tfrac" || name == u"cfrac"
            || name == u"binom" || name == u"dbinom" || name == u"tbinom") {
            auto n = node(NodeKind::Fraction);
            n->bar = !name.endsWith(u"binom");
            n->style = name.startsWith(u'd') || name == u"cfrac" ? FracStyle::Display
                     : name.startsWith(u't') ? FracStyle::Text : FracStyle::Auto;
            ++m_depth;
            n->children = {argument(), argument()};
            --m_depth;
            return n;
        }
        if (name == u"sqrt") {
            auto n = node(NodeKind::Root);
            NodePtr index;
            if (peek() == u'[') {
                ++m_pos;
                ++m_depth;
                const bool inIndex = std::exchange(m_inIndex, true);
                index = parseRow();
                m_inIndex = inIndex;
                --m_depth;
                expect(u']');
            }
            n->children.append(argument());
            if (index)
                n->children.append(index);
            return n;
        }
        if (name == u"left") {
            auto n = node(NodeKind::Fenced);
            n->text = delimiter();
            if (++m_depth > kMaxNesting)
                fail(QStringLiteral("nesting"));
            auto body = parseRow();
            while (peekCommand() == u"middle") { // \middle| keeps the row and draws the bar
                takeCommand();
                body->children.append(symbol(delimiter().toUcs4().value(0, '|'), AtomClass::Ord));
                body->children.append(parseRow());
            }
            if (peekCommand() != u"right")
                fail(QStringLiteral("\\left without \\right"));
            takeCommand();
            --m_depth;
            n->close = delimiter();
            n->children.append(body);
            return n;
        }
        if (const auto size = bigDelimiterSize(name)) {
            const QString d = delimiter();
            auto n = node(NodeKind::Symbol);
            n->text = d;
            n->atom = name.endsWith(u'l') ? AtomClass::Open : name.endsWith(u'r') ? AtomClass::Close
                    : name.endsWith(u'm') ? AtomClass::Rel : AtomClass::Ord;
            n->mu = *size; // drawn this many ems tall
            return n;
        }
        if (name == u"text" || name == u"textrm" || name == u"textnormal" || name == u"mbox"
            || name == u"textit" || name == u"textbf" || name == u"operatorname" || name == u"mathop") {
            auto n = node(NodeKind::Text);
            n->text = rawGroup();
            if (name == u"textit")
                n->variant = MathVariant::Italic;
            else if (name == u"textbf")
                n->variant = MathVariant::Bold;
            if (name == u"operatorname" || name == u"mathop") {
                n->atom = AtomClass::Op;
                n->noLimits = true;
            }
            return n;
        }
        static const QHash<QString, MathVariant> variants = {
            {"mathrm", MathVariant::Upright}, {"mathbf", MathVariant::Bold}, {"boldsymbol", MathVariant::Bold},
            {"bm", MathVariant::Bold}, {"mathit", MathVariant::Italic}, {"mathbb", MathVariant::DoubleStruck},
            {"mathcal", MathVariant::Script}, {"mathscr", MathVariant::Script}, {"mathfrak", MathVariant::Fraktur},
            {"mathsf", MathVariant::Upright}, {"mathtt", MathVariant::Upright}};
        if (const auto it = variants.constFind(name); it != variants.cend()) {
            ++m_depth;
            auto arg = argument();
            --m_depth;
            applyVariant(*arg, *it);
            return arg;
        }
        if (const auto accent = accentFor(name)) {
            auto n = node(NodeKind::Accent);
            n->text = QString::fromUcs4(&accent->first, 1);
            n->stretchy = accent->second;
            ++m_depth;
            n->children.append(argument());
            --m_depth;
            return n;
        }
        if (name == u"overline" || name == u"underline" || name == u"overbrace"
            || name == u"underbrace") {
            auto n = node(NodeKind::OverUnder);
            n->over = name.startsWith(u"over");
            n->stretchy = name.endsWith(u"brace");
            n->text = name.endsWith(u"brace") ? QString(QChar(n->over ? 0x23DE : 0x23DF)) : QString();
            n->limits = n->stretchy;
            ++m_depth;
            n->children.append(argument());
            --m_depth;
            return n;
        }
        if (name == u"overset" || name == u"underset" || name == u"stackrel") {
            ++m_depth;
            auto label = argument();
            auto body = argument();
            --m_depth;
            auto n = node(NodeKind::Scripts);
            body->limits = true;
            body->atom = name == u"stackrel" ? AtomClass::Rel : body->atom;
            const bool over = name != u"underset";
            n->children = {body, over ? node(NodeKind::Row) : label, over ? label : node(NodeKind::Row)};
            n->limits = true;
            return n;
        }
        if (name == u"boxed" || name == u"fbox") {
            auto n = node(NodeKind::Boxed);
            ++m_depth;
            n->children.append(argument());
            --m_depth;
            return n;
        }
        if (name == u"textcolor") {
            auto n = node(NodeKind::Colored);
            n->color = color(rawGroup());
            ++m_depth;
            n->children.append(argument());
            --m_depth;
            return n;
        }
        if (name == u"begin")
            return environment();
        if (name == u"displaystyle" || name == u"textstyle" || name == u"scriptstyle"
            || name == u"nonumber" || name == u"notag")
            return nullptr; // accepted; the layout decides the style by position
        if (name == u"bmod" || name == u"mod") {
            auto n = node(NodeKind::Text);
            n->text = QStringLiteral("mod");
            n->atom = AtomClass::Bin;
            return n;
        }
        if (name == u"pmod") {
            auto row = node(NodeKind::Row);
            auto mod = node(NodeKind::Text);
            mod->text = QStringLiteral("mod");
            auto before = node(NodeKind::Space), after = node(NodeKind::Space);
            before->mu = 8;
            after->mu = 6;
            row->children = {before, symbol('(', AtomClass::Open), mod, after, argument(),
                             symbol(')', AtomClass::Close)};
            return row;
        }
        fail(QStringLiteral("unknown command \\") + name);
    }

    NodePtr atom()
    {
        const QChar c = peek();
        if (c == u'{')
            return group();
        if (c == u'\\')
            return command();
        if (c == u'$' || c == u'#' || c == u'%' || c == u'^' || c == u'_')
            fail(QStringLiteral("unexpected ") + c);
        char32_t code = c.unicode();
        ++m_pos;
        if (c.isHighSurrogate() && m_pos < m_s.size() && m_s.at(m_pos).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, m_s.at(m_pos++));
        if (c == u'~') {
            auto n = node(NodeKind::Space);
            n->mu = 6;
            return n;
        }
        if (code < 32 || (code >= 0x7F && code < 0xA0) || QChar::category(code) == QChar::Other_Surrogate)
            fail(QStringLiteral("control character"));
        auto n = node(NodeKind::Symbol);
        n->text = QString::fromUcs4(&code, 1);
        if (c == u'-')
            n->text = QChar(0x2212);
        if (c == u'*')
            n->text = QChar(0x2217);
        n->atom = classOf(code);
        return n;
    }

    const QString &m_s;
    qsizetype m_pos = 0;
    int m_depth = 0;
    int m_nodes = 0;
    bool m_inIndex = false; // a root's [index]: ']' ends the row
};

} // namespace

ParseResult parseMath(const QString &tex)
{
    if (tex.size() > kMaxSourceChars)
        return {nullptr, QStringLiteral("formula too long")};
    if (tex.trimmed().isEmpty())
        return {nullptr, QStringLiteral("empty formula")};
    try {
        Parser parser(tex);
        return {parser.parseAll(), {}};
    } catch (const ParseError &e) {
        return {nullptr, e.why};
    }
}

} // namespace vexa::math
