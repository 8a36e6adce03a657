#include "rolestyle.h"

#include <QQmlEngine>
#include <QThreadPool>

namespace vexa::highlight::detail {

namespace {

struct RoleColor {
    Role role;
    const char *themeProperty;
    const char *fallback; // the theme's value, for a highlighter outside a QML engine
};

constexpr RoleColor kRoleColors[] = {
    {Role::Plain, "codeText", "#e6e8f2"},
    {Role::Keyword, "codeKeyword", "#c4a7ff"},
    {Role::Type, "codeType", "#7fd4ff"},
    {Role::String, "codeString", "#a5e07a"},
    {Role::Number, "codeNumber", "#f7a072"},
    {Role::Comment, "codeComment", "#7d8299"},
    {Role::Preprocessor, "codePreprocessor", "#ff9ac1"},
    {Role::Function, "codeFunction", "#82aaff"},
    {Role::Operator, "codeOperator", "#89ddff"},
    {Role::Tag, "codeTag", "#ff7a93"},
    {Role::Attribute, "codeAttribute", "#ffcb6b"},
    {Role::Inserted, "codeInserted", "#8fe388"},
    {Role::Removed, "codeRemoved", "#ff8080"},
    {Role::Heading, "codeHeading", "#b59cff"},
    {Role::Emphasis, "codeEmphasis", "#f4f5fb"},
    {Role::Link, "codeLink", "#2cc3e8"},
    {Role::Variable, "codeVariable", "#f2c779"},
    {Role::Escape, "codeEscape", "#d7a8ff"},
};
static_assert(std::size(kRoleColors) == kRoleCount);

} // namespace

// The few roles drawn in another style as well as their colour, as the tag of styled text.
const char *emphasisTag(Role role)
{
    switch (role) {
    case Role::Comment:
    case Role::Emphasis: return "i";
    case Role::Heading: return "b";
    case Role::Link: return "u";
    default: return nullptr;
    }
}

QThreadPool *workerPool()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(1);
        p->setExpiryTimeout(30000);
        return p;
    }();
    return pool;
}

RoleColors defaultColors()
{
    RoleColors colors;
    for (const RoleColor &c : kRoleColors)
        colors[size_t(c.role)] = QColor(QLatin1StringView(c.fallback));
    return colors;
}

void readThemeColors(QObject *object, RoleColors &colors)
{
    QQmlEngine *engine = qmlEngine(object);
    if (!engine)
        return;
    const int typeId = qmlTypeId("VexaAI.Style", 1, 0, "VexaTheme");
    QObject *theme = typeId >= 0 ? engine->singletonInstance<QObject *>(typeId) : nullptr;
    if (!theme)
        return;
    for (const RoleColor &c : kRoleColors) {
        const QVariant value = theme->property(c.themeProperty);
        if (value.isValid())
            colors[size_t(c.role)] = value.value<QColor>();
    }
}

RoleFormats formatsFor(const RoleColors &colors)
{
    RoleFormats formats;
    for (size_t i = 0; i < colors.size(); ++i) {
        QTextCharFormat f;
        if (Role(i) != Role::Plain)
            f.setForeground(colors[i]);
        if (const char *tag = emphasisTag(Role(i))) {
            f.setFontItalic(*tag == 'i');
            if (*tag == 'b')
                f.setFontWeight(QFont::Bold);
            f.setFontUnderline(*tag == 'u');
        }
        formats[i] = f;
    }
    return formats;
}

} // namespace vexa::highlight::detail

namespace vexa::highlight {

namespace {

// One piece of a line, escaped; `column` counts the characters of the line so far (for tabs).
void appendEscaped(QString &out, QStringView piece, int &column)
{
    for (const QChar c : piece) {
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        case u' ': out += QLatin1String("&nbsp;"); break;
        case u'\t':
            do {
                out += QLatin1String("&nbsp;");
                ++column;
            } while (column % 4 != 0);
            continue;
        case u'\r': continue;
        default: out += c; break;
        }
        ++column;
    }
}

} // namespace

QString styledCode(QStringView code, const QList<QList<Span>> &lines, const detail::RoleColors &colors)
{
    QString out;
    out.reserve(code.size() * 2);
    qsizetype from = 0;
    for (qsizetype i = 0; from <= code.size(); ++i) {
        qsizetype to = code.indexOf(u'\n', from);
        if (to < 0)
            to = code.size();
        const QStringView line = code.sliced(from, to - from);
        if (i > 0)
            out += QLatin1String("<br>");
        int column = 0;
        qsizetype at = 0;
        for (const Span &span : i < lines.size() ? lines.at(i) : QList<Span>()) {
            // Runs out of order or past the line are a highlighter's fault: left plain.
            if (span.start < at || span.length <= 0 || span.start + span.length > line.size())
                continue;
            appendEscaped(out, line.sliced(at, span.start - at), column);
            const size_t role = size_t(span.role);
            const char *style = detail::emphasisTag(span.role);
            out += QLatin1String("<font color=\"") + colors[role < colors.size() ? role : 0].name()
                + QLatin1String("\">");
            if (style)
                out += QLatin1Char('<') + QLatin1String(style) + QLatin1Char('>');
            appendEscaped(out, line.sliced(span.start, span.length), column);
            if (style)
                out += QLatin1String("</") + QLatin1String(style) + QLatin1Char('>');
            out += QLatin1String("</font>");
            at = span.start + span.length;
        }
        appendEscaped(out, line.sliced(at), column);
        from = to + 1;
    }
    return out;
}

} // namespace vexa::highlight
