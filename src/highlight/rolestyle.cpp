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
        switch (Role(i)) {
        case Role::Comment:
        case Role::Emphasis:
            f.setFontItalic(true);
            break;
        case Role::Heading:
            f.setFontWeight(QFont::Bold);
            break;
        case Role::Link:
            f.setFontUnderline(true);
            break;
        default:
            break;
        }
        formats[i] = f;
    }
    return formats;
}

} // namespace vexa::highlight::detail
