#include "colourrules.h"

#include <QColor>
#include <QRegularExpression>

#include <QtQml/private/qqmljsast_p.h>
#include <QtQml/private/qqmljsastvisitor_p.h>
#include <QtQml/private/qqmljsengine_p.h>
#include <QtQml/private/qqmljslexer_p.h>
#include <QtQml/private/qqmljsparser_p.h>

namespace vexa::test {

using namespace QQmlJS::AST;

namespace {

bool isHexColour(QStringView text)
{
    static const QRegularExpression hex(QStringLiteral("^#([0-9a-fA-F]{3}|[0-9a-fA-F]{4}|[0-9a-fA-F]{6}|[0-9a-fA-F]{8})$"));
    return hex.match(text.toString()).hasMatch();
}

// Properties that take a colour: "color", "border.color", "tint", "symbolColor",
// "Material.foreground", "Material.accent", "selectionColor"...
bool isColourProperty(const QString &name)
{
    static const QRegularExpression colourName(
        QStringLiteral("(colou?r|Colou?r|tint|Tint|foreground|background|accent|primary)$"));
    return colourName.match(name).hasMatch();
}

class Finder : public Visitor
{
public:
    Finder(const QString &file, QList<TextFinding> &into) : m_file(file), m_into(into) {}

    bool visit(UiScriptBinding *binding) override
    {
        QStringList parts;
        for (UiQualifiedId *id = binding->qualifiedId; id; id = id->next)
            parts.append(id->name.toString());
        m_bindings.append(parts.join(u'.'));
        return true;
    }
    void endVisit(UiScriptBinding *) override { m_bindings.removeLast(); }

    bool visit(UiPublicMember *member) override
    {
        // "property color x: …" binds a colour whatever its name.
        m_bindings.append(member->memberType && member->memberType->name == QLatin1String("color")
                              ? QStringLiteral("color") : member->name.toString());
        return true;
    }
    void endVisit(UiPublicMember *) override { m_bindings.removeLast(); }

    // A function body is no binding of its own: its strings stand in the binding (or function) around it.
    bool visit(FunctionExpression *) override { m_bindings.append(QString()); return true; }
    void endVisit(FunctionExpression *) override { m_bindings.removeLast(); }
    bool visit(FunctionDeclaration *) override { m_bindings.append(QString()); return true; }
    void endVisit(FunctionDeclaration *) override { m_bindings.removeLast(); }

    bool visit(StringLiteral *literal) override
    {
        const QString value = literal->value.toString();
        const int line = int(literal->literalToken.startLine);
        if (isHexColour(value))
            add(line, QStringLiteral("the colour \"%1\" is no theme role").arg(value));
        else if (!m_bindings.isEmpty() && isColourProperty(m_bindings.last())
                 && value.compare(QLatin1String("transparent"), Qt::CaseInsensitive) != 0
                 && QColor::isValidColorName(value))
            add(line, QStringLiteral("the colour \"%1\" is no theme role").arg(value));
        return true;
    }

    bool visit(CallExpression *call) override
    {
        auto *member = cast<FieldMemberExpression *>(call->base);
        auto *object = member ? cast<IdentifierExpression *>(member->base) : nullptr;
        static const QStringList makers = {QStringLiteral("rgba"), QStringLiteral("hsla"),
                                           QStringLiteral("hsva"), QStringLiteral("color")};
        if (object && object->name == QLatin1String("Qt") && makers.contains(member->name.toString()))
            add(int(call->firstSourceLocation().startLine),
                QStringLiteral("Qt.%1(…) makes a colour outside the theme").arg(member->name.toString()));
        return true;
    }

    void throwRecursionDepthError() override { add(0, QStringLiteral("nested too deeply to read")); }

private:
    void add(int line, const QString &what) { m_into.append({m_file, line, what}); }

    QString m_file;
    QList<TextFinding> &m_into;
    QStringList m_bindings;
};

} // namespace

QList<TextFinding> colourLiterals(const QString &file, const QString &code)
{
    QList<TextFinding> found;
    QQmlJS::Engine engine;
    QQmlJS::Lexer lexer(&engine);
    lexer.setCode(code, 1, true);
    QQmlJS::Parser parser(&engine);
    if (!parser.parse()) {
        const auto messages = parser.diagnosticMessages();
        found.append({file, messages.isEmpty() ? 0 : int(messages.first().loc.startLine),
                      QStringLiteral("unreadable QML")});
        return found;
    }
    Finder finder(file, found);
    if (parser.rootNode())
        parser.rootNode()->accept(&finder);
    return found;
}

} // namespace vexa::test
