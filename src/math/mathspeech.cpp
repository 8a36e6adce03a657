// The readable text of a formula: what a screen reader says and what read-aloud speaks.
#include "mathparser.h"
#include "mathsymbols.h"

#include <QRegularExpression>
#include <QStringList>

namespace vexa::math {

namespace {

QString say(const Node &n);

QString sayChildren(const Node &n)
{
    QStringList parts;
    for (const auto &c : n.children) {
        const QString s = say(*c);
        if (!s.isEmpty())
            parts.append(s);
    }
    return parts.join(u' ');
}

bool isShort(const QString &s) { return !s.contains(u' '); }

QString sayOperatorName(const Node &n)
{
    if (const OperatorInfo *o = findOperator(n.text))
        return QString::fromUtf8(o->spoken);
    if (const OperatorInfo *o = findOperator(char32_t(n.text.toUcs4().value(0))))
        return QString::fromUtf8(o->spoken);
    for (uint c : n.text.toUcs4())
        if (const QString w = spokenChar(c); !w.isEmpty())
            return w;
    return n.text;
}

QString sayScripts(const Node &n)
{
    const Node &base = *n.children[0];
    const QString b = say(base);
    const QString sub = say(*n.children[1]);
    const QString sup = say(*n.children[2]);
    if (base.atom == AtomClass::Op || n.limits || base.kind == NodeKind::OverUnder) {
        QString out = b;
        if (!sub.isEmpty())
            out += (base.atom == AtomClass::Op ? QStringLiteral(" от ") : QStringLiteral(" под ")) + sub;
        if (!sup.isEmpty())
            out += (base.atom == AtomClass::Op ? QStringLiteral(" до ") : QStringLiteral(" над ")) + sup;
        return out;
    }
    QString out = b;
    if (!sub.isEmpty())
        out += QStringLiteral(" с индексом ") + sub;
    if (sup.startsWith(QStringLiteral("штрих")))
        return out + u' ' + sup;
    if (sup == u"2")
        return out + QStringLiteral(" в квадрате");
    if (sup == u"3")
        return out + QStringLiteral(" в кубе");
    if (!sup.isEmpty())
        out += QStringLiteral(" в степени ") + sup;
    return out;
}

QString sayArray(const Node &n)
{
    const int columns = std::max(1, n.columns);
    QStringList rows;
    for (int i = 0; i < n.children.size(); i += columns) {
        QStringList cells;
        for (int c = 0; c < columns && i + c < n.children.size(); ++c) {
            const QString s = say(*n.children[i + c]);
            if (!s.isEmpty())
                cells.append(s);
        }
        rows.append(cells.join(n.rowGap ? QStringLiteral(" ") : QStringLiteral(", ")));
    }
    return rows.join(QStringLiteral("; "));
}

QString say(const Node &n)
{
    switch (n.kind) {
    case NodeKind::Symbol: {
        if (n.atom == AtomClass::Op)
            return sayOperatorName(n);
        QStringList words;
        for (uint c : n.text.toUcs4()) {
            const QString w = spokenChar(c);
            if (!w.isEmpty())
                words.append(w);
            else if (QChar::isLetterOrNumber(c))
                words.append(QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1));
        }
        return words.join(u' ');
    }
    case NodeKind::Text:
        return n.atom == AtomClass::Op ? sayOperatorName(n) : n.text.simplified();
    case NodeKind::Row:
    case NodeKind::Boxed:
    case NodeKind::Colored:
        return sayChildren(n);
    case NodeKind::Fraction: {
        const QString a = say(*n.children[0]), b = say(*n.children[1]);
        if (!n.bar)
            return QStringLiteral("биномиальный коэффициент из %1 по %2").arg(a, b);
        if (isShort(a) && isShort(b))
            return QStringLiteral("%1 делить на %2").arg(a, b);
        return QStringLiteral("дробь, в числителе %1, в знаменателе %2,").arg(a, b);
    }
    case NodeKind::Root: {
        const QString body = say(*n.children[0]);
        if (n.children.size() < 2)
            return QStringLiteral("квадратный корень из ") + body + (isShort(body) ? "" : ",");
        const QString index = say(*n.children[1]);
        if (index == u"3")
            return QStringLiteral("кубический корень из ") + body;
        return QStringLiteral("корень степени %1 из %2").arg(index, body);
    }
    case NodeKind::Scripts:
        return sayScripts(n);
    case NodeKind::Fenced: {
        const QString body = say(*n.children[0]);
        if (n.children[0]->kind == NodeKind::Array)
            return (n.text == u"{" && n.close.isEmpty() ? QStringLiteral("система: ")
                    : n.text == u"|" ? QStringLiteral("определитель: ") : QStringLiteral("матрица: "))
                 + body + u'.';
        if (n.text == u"|" && n.close == u"|")
            return QStringLiteral("модуль ") + body + u',';
        if (n.text == QChar(0x2016))
            return QStringLiteral("норма ") + body + u',';
        return QStringLiteral("скобка ") + body + QStringLiteral(" скобка закрывается");
    }
    case NodeKind::Accent: {
        const QString body = say(*n.children[0]);
        switch (n.text.toUcs4().value(0)) {
        case 0x20D7: return QStringLiteral("вектор ") + body;
        case 0x302: return body + QStringLiteral(" с крышкой");
        case 0x304: return body + QStringLiteral(" с чертой");
        case 0x303: return body + QStringLiteral(" с тильдой");
        case 0x307: return body + QStringLiteral(" с точкой");
        case 0x308: return body + QStringLiteral(" с двумя точками");
        default: return body;
        }
    }
    case NodeKind::OverUnder:
        return n.stretchy || !n.over ? say(*n.children[0]) : say(*n.children[0]) + QStringLiteral(" с чертой");
    case NodeKind::Space:
        return {};
    case NodeKind::Array:
        return sayArray(n);
    }
    return {};
}

} // namespace

QString spokenMath(const Node &root)
{
    QString s = say(root);
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    s.replace(spaces, QStringLiteral(" "));
    s.replace(QStringLiteral(" ,"), QStringLiteral(","));
    s.replace(QStringLiteral(",,"), QStringLiteral(","));
    s = s.trimmed();
    while (s.endsWith(u','))
        s.chop(1);
    return s;
}

} // namespace vexa::math
