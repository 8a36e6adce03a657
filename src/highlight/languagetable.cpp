#include "languagetable.h"

#include <QFileInfo>
#include <QHash>

#include <string>
#include <unordered_map>

namespace vexa::highlight {
namespace detail {
namespace {

// Aliases are what people write after a fence; extensions what files are called.
constexpr LanguageInfo kLanguages[] = {
    {"python", "Python", "python.lang", false, "py python3 python2 py3 gyp sage", "py pyw pyi gyp"},
    {"c", "C", "c.lang", false, "h", "c h"},
    {"cpp", "C++", "cpp.lang", false, "c++ cxx cc hpp hxx h++ cplusplus qt", "cpp cc cxx c++ hpp hh hxx h++ ipp moc"},
    {"csharp", "C#", "csharp.lang", false, "cs c# dotnet", "cs csx"},
    {"java", "Java", "java.lang", false, "", "java"},
    {"javascript", "JavaScript", "javascript.lang", false, "js jsx node nodejs mjs cjs ecmascript", "js mjs cjs jsx"},
    {"typescript", "TypeScript", "typescript.lang", true, "ts tsx mts cts", "ts tsx mts cts"},
    {"go", "Go", "go.lang", false, "golang", "go"},
    {"rust", "Rust", "rust.lang", false, "rs", "rs"},
    {"kotlin", "Kotlin", "kotlin.lang", true, "kt kts", "kt kts"},
    {"swift", "Swift", "swift.lang", true, "", "swift"},
    {"php", "PHP", "php.lang", false, "php3 php4 php5 php7 php8 phtml", "php phtml"},
    {"ruby", "Ruby", "ruby.lang", false, "rb jruby", "rb rake gemspec ru"},
    {"sql", "SQL", "sql.lang", false, "mysql postgresql postgres psql plsql pgsql sqlite tsql mariadb", "sql"},
    {"bash", "Bash", "sh.lang", false, "sh shell zsh ksh shellscript shell-script console shell-session", "sh bash zsh ksh"},
    {"json", "JSON", "json.lang", false, "jsonc json5 geojson", "json jsonc geojson"},
    {"yaml", "YAML", "yaml.lang", true, "yml", "yaml yml"},
    {"html", "HTML", "html.lang", false, "htm xhtml", "html htm xhtml"},
    {"xml", "XML", "xml.lang", false, "svg xsd xsl xslt plist rss atom wsdl", "xml svg xsd xsl xslt plist ui qrc csproj"},
    {"css", "CSS", "css.lang", false, "", "css"},
    {"markdown", "Markdown", "markdown.lang", true, "md mkd mdown gfm", "md markdown mkd mdown"},
    {"diff", "Diff", "diff.lang", false, "patch udiff", "diff patch"},
    {"makefile", "Makefile", "makefile.lang", false, "make mk gnumake", "mk mak"},
    {"dockerfile", "Dockerfile", "dockerfile.lang", true, "docker containerfile", "dockerfile"},
};

using ElementRoles = std::unordered_map<std::string, Role>;

const ElementRoles &commonRoles()
{
    static const ElementRoles roles = {
        {"keyword", Role::Keyword}, {"label", Role::Keyword},
        {"type", Role::Type}, {"usertype", Role::Type}, {"classname", Role::Type},
        {"string", Role::String}, {"regexp", Role::String}, {"valquote", Role::String},
        {"specialchar", Role::Escape},
        {"comment", Role::Comment}, {"todo", Role::Comment},
        {"number", Role::Number},
        {"preproc", Role::Preprocessor},
        {"function", Role::Function}, {"predef_func", Role::Function},
        {"symbol", Role::Operator}, {"cbracket", Role::Operator}, {"colon", Role::Operator},
        {"variable", Role::Variable}, {"predef_var", Role::Variable},
        {"url", Role::Link},
        {"key", Role::Attribute}, {"keyquote", Role::Attribute}, {"attribute", Role::Attribute},
        {"oldfile", Role::Removed}, {"newfile", Role::Inserted}, {"difflines", Role::Preprocessor},
        // The project's own definitions name these directly.
        {"tag", Role::Tag}, {"heading", Role::Heading}, {"emphasis", Role::Emphasis},
        {"link", Role::Link}, {"inserted", Role::Inserted}, {"removed", Role::Removed},
    };
    return roles;
}

bool isMarkup(const LanguageInfo &language)
{
    const std::string_view name = language.name;
    return name == "html" || name == "xml";
}

// Asked for every code block a list shows: no allocation.
bool listed(const char *spaceSeparated, QStringView word)
{
    for (const auto item : QLatin1StringView(spaceSeparated).tokenize(u' ', Qt::SkipEmptyParts))
        if (item == word)
            return true;
    return false;
}

} // namespace

const LanguageInfo *languageTable(qsizetype *count)
{
    *count = qsizetype(std::size(kLanguages));
    return kLanguages;
}

const LanguageInfo *findLanguage(const QString &canonical)
{
    for (const LanguageInfo &l : kLanguages)
        if (canonical == QLatin1StringView(l.name))
            return &l;
    return nullptr;
}

Role roleForElement(const LanguageInfo &language, const std::string &element)
{
    if (isMarkup(language)) {
        if (element == "keyword")
            return Role::Tag;
        if (element == "type")
            return Role::Attribute;
    }
    const auto &roles = commonRoles();
    const auto it = roles.find(element);
    return it == roles.end() ? Role::Plain : it->second;
}

} // namespace detail

using detail::kLanguages;

QString canonicalLanguage(const QString &fenceInfo)
{
    // The first word of the info string, without the wrappings some writers add:
    // "{.python}", ".python", "language-python", "python,linenos", "python title=x".
    QStringView info = QStringView(fenceInfo).trimmed();
    if (info.startsWith(u'{'))
        info = info.mid(1);
    qsizetype end = 0;
    while (end < info.size() && !info[end].isSpace() && info[end] != u'{' && info[end] != u'}'
           && info[end] != u',' && info[end] != u';' && info[end] != u'=' && info[end] != u'`')
        ++end;
    QString word = info.left(end).toString().toLower();
    if (word.startsWith(u'.'))
        word.remove(0, 1);
    if (word.startsWith(u"language-"))
        word.remove(0, 9);
    else if (word.startsWith(u"lang-"))
        word.remove(0, 5);
    if (word.isEmpty() || word.size() > 32)
        return {};
    for (const auto &l : kLanguages) {
        // The table's names are ASCII.
        if (word == QLatin1StringView(l.name) || QLatin1StringView(l.display).compare(word, Qt::CaseInsensitive) == 0
            || detail::listed(l.aliases, word))
            return QString::fromLatin1(l.name);
    }
    return {};
}

QString displayName(const QString &fenceInfo)
{
    const detail::LanguageInfo *l = detail::findLanguage(canonicalLanguage(fenceInfo));
    return l ? QString::fromUtf8(l->display) : QString();
}

QStringList languages()
{
    QStringList names;
    for (const auto &l : kLanguages)
        names.append(QString::fromLatin1(l.name));
    return names;
}

QString languageForFile(const QString &fileName, QStringView firstLine)
{
    const QString name = QFileInfo(fileName).fileName();
    const QString lower = name.toLower();
    // Whole names first: they carry no extension, or one that would mislead.
    static const QHash<QString, QString> wholeNames = {
        {QStringLiteral("makefile"), QStringLiteral("makefile")},
        {QStringLiteral("gnumakefile"), QStringLiteral("makefile")},
        {QStringLiteral("dockerfile"), QStringLiteral("dockerfile")},
        {QStringLiteral("containerfile"), QStringLiteral("dockerfile")},
        {QStringLiteral("readme"), QStringLiteral("markdown")},
        {QStringLiteral("gemfile"), QStringLiteral("ruby")},
        {QStringLiteral("rakefile"), QStringLiteral("ruby")},
        {QStringLiteral(".bashrc"), QStringLiteral("bash")},
        {QStringLiteral(".profile"), QStringLiteral("bash")},
        {QStringLiteral(".bash_profile"), QStringLiteral("bash")},
        {QStringLiteral(".zshrc"), QStringLiteral("bash")},
    };
    if (const auto it = wholeNames.constFind(lower); it != wholeNames.constEnd())
        return *it;
    if (lower.startsWith(u"dockerfile.") || lower.endsWith(u".dockerfile"))
        return QStringLiteral("dockerfile");
    if (lower.startsWith(u"makefile.") || lower == u"makefile.am" || lower == u"makefile.in")
        return QStringLiteral("makefile");

    const qsizetype dot = lower.lastIndexOf(u'.');
    if (dot > 0 && dot + 1 < lower.size()) {
        const QStringView ext = QStringView(lower).mid(dot + 1);
        for (const auto &l : kLanguages)
            if (detail::listed(l.extensions, ext))
                return QString::fromLatin1(l.name);
    }

    // "#!/usr/bin/env python3", "#!/bin/bash -e", "#! /usr/bin/env -S node --flag".
    if (firstLine.startsWith(u"#!")) {
        const QList<QStringView> words =
            firstLine.mid(2).left(256).split(u' ', Qt::SkipEmptyParts);
        QString program;
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QStringView word = words[i].trimmed();
            const QStringView base = word.mid(word.lastIndexOf(u'/') + 1);
            if (i == 0 && base != u"env") {
                program = base.toString();
                break;
            }
            if (i > 0 && !word.startsWith(u'-')) {
                program = base.toString();
                break;
            }
        }
        program = program.toLower();
        // "python3.11" is python.
        while (!program.isEmpty() && (program.back().isDigit() || program.back() == u'.'))
            program.chop(1);
        static const QHash<QString, QString> interpreters = {
            {QStringLiteral("python"), QStringLiteral("python")},
            {QStringLiteral("sh"), QStringLiteral("bash")},
            {QStringLiteral("bash"), QStringLiteral("bash")},
            {QStringLiteral("dash"), QStringLiteral("bash")},
            {QStringLiteral("zsh"), QStringLiteral("bash")},
            {QStringLiteral("ksh"), QStringLiteral("bash")},
            {QStringLiteral("node"), QStringLiteral("javascript")},
            {QStringLiteral("nodejs"), QStringLiteral("javascript")},
            {QStringLiteral("deno"), QStringLiteral("typescript")},
            {QStringLiteral("ts-node"), QStringLiteral("typescript")},
            {QStringLiteral("ruby"), QStringLiteral("ruby")},
            {QStringLiteral("php"), QStringLiteral("php")},
            {QStringLiteral("make"), QStringLiteral("makefile")},
            {QStringLiteral("kotlin"), QStringLiteral("kotlin")},
            {QStringLiteral("swift"), QStringLiteral("swift")},
        };
        if (const auto it = interpreters.constFind(program); it != interpreters.constEnd())
            return *it;
    }
    return {};
}

} // namespace vexa::highlight
