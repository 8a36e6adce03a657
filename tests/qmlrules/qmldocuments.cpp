#include "qmldocuments.h"

#include <QFileInfo>

#include <QtQml/private/qqmljsast_p.h>
#include <QtQml/private/qqmljsengine_p.h>
#include <QtQml/private/qqmljslexer_p.h>
#include <QtQml/private/qqmljsparser_p.h>

namespace vexa::test {

using namespace QQmlJS::AST;

namespace {

QString qualified(UiQualifiedId *id)
{
    QStringList parts;
    for (; id; id = id->next)
        parts.append(id->name.toString());
    return parts.join(u'.');
}

class Builder
{
public:
    explicit Builder(QmlDocument &document) : m_doc(document) {}

    QmlObject *object(UiQualifiedId *type, UiObjectInitializer *initializer, QmlObject *parent)
    {
        auto owned = std::make_unique<QmlObject>();
        QmlObject *object = owned.get();
        m_doc.objects.push_back(std::move(owned));
        object->type = type ? type->name.toString() : QString();
        for (UiQualifiedId *last = type; last; last = last->next)
            object->type = last->name.toString();
        object->line = type ? int(type->identifierToken.startLine) : 0;
        object->parent = parent;
        if (parent)
            parent->children.append(object);
        if (initializer)
            members(object, initializer->members);
        return object;
    }

private:
    void members(QmlObject *object, UiObjectMemberList *list)
    {
        for (; list; list = list->next)
            member(object, list->member);
    }

    void script(QmlObject *object, const QString &name, Statement *statement)
    {
        ExpressionNode *expression = nullptr;
        if (auto *expressionStatement = cast<ExpressionStatement *>(statement))
            expression = expressionStatement->expression;
        object->scripts.insert(name, expression);
        if (statement) {
            const auto first = statement->firstSourceLocation();
            const auto last = statement->lastSourceLocation();
            object->sources.insert(name, m_doc.code.mid(first.offset, last.end() - first.offset));
        }
        if (name == QLatin1String("id") && expression) {
            if (auto *identifier = cast<IdentifierExpression *>(expression))
                object->id = identifier->name.toString();
        }
    }

    void member(QmlObject *object, UiObjectMember *member)
    {
        if (auto *binding = cast<UiScriptBinding *>(member)) {
            script(object, qualified(binding->qualifiedId), binding->statement);
        } else if (auto *binding = cast<UiObjectBinding *>(member)) {
            if (binding->hasOnToken) { // "Behavior on x { }": a child, not a value
                this->object(binding->qualifiedTypeNameId, binding->initializer, object);
                return;
            }
            QmlObject *value = this->object(binding->qualifiedTypeNameId, binding->initializer, object);
            object->objects.insert(qualified(binding->qualifiedId), value);
        } else if (auto *binding = cast<UiArrayBinding *>(member)) {
            for (UiArrayMemberList *item = binding->members; item; item = item->next) {
                if (auto *definition = cast<UiObjectDefinition *>(item->member))
                    this->object(definition->qualifiedTypeNameId, definition->initializer, object);
            }
        } else if (auto *definition = cast<UiObjectDefinition *>(member)) {
            this->object(definition->qualifiedTypeNameId, definition->initializer, object);
        } else if (auto *declaration = cast<UiPublicMember *>(member)) {
            if (declaration->type != UiPublicMember::Property)
                return;
            const QString name = declaration->name.toString();
            object->declared.append(name);
            if (declaration->statement)
                script(object, name, declaration->statement);
            else if (auto *value = cast<UiObjectDefinition *>(declaration->binding))
                object->objects.insert(name, this->object(value->qualifiedTypeNameId, value->initializer, object));
        } else if (auto *inlineComponent = cast<UiInlineComponent *>(member)) {
            if (UiObjectDefinition *definition = inlineComponent->component) {
                m_doc.inlineComponents.insert(
                    inlineComponent->name.toString(),
                    this->object(definition->qualifiedTypeNameId, definition->initializer, nullptr));
            }
        }
    }

    QmlDocument &m_doc;
};

void collect(QmlObject *object, QList<QmlObject *> &into)
{
    into.append(object);
    for (QmlObject *child : std::as_const(object->children))
        collect(child, into);
}

} // namespace

QList<QmlObject *> QmlDocument::all() const
{
    QList<QmlObject *> objects;
    if (root)
        collect(root, objects);
    for (QmlObject *component : inlineComponents)
        collect(component, objects);
    return objects;
}

QString QmlDocument::sourceOf(ExpressionNode *node) const
{
    if (!node)
        return QString();
    const auto first = node->firstSourceLocation();
    const auto last = node->lastSourceLocation();
    return code.mid(first.offset, last.end() - first.offset);
}

std::unique_ptr<QmlDocument> parseQml(const QString &file, const QString &code)
{
    auto document = std::make_unique<QmlDocument>();
    document->file = file;
    document->component = QFileInfo(file).completeBaseName();
    document->code = code;
    document->engine = std::make_shared<QQmlJS::Engine>();
    QQmlJS::Engine &engine = *document->engine;
    document->lexer = std::make_shared<QQmlJS::Lexer>(&engine);
    document->lexer->setCode(document->code, 1, true);
    QQmlJS::Parser parser(&engine);
    if (!parser.parse()) {
        const auto messages = parser.diagnosticMessages();
        document->error = messages.isEmpty() ? QStringLiteral("unreadable")
                                             : QStringLiteral("line %1: %2").arg(messages.first().loc.startLine)
                                                   .arg(messages.first().message);
        return document;
    }
    Builder builder(*document);
    UiProgram *program = parser.ast();
    for (UiObjectMemberList *list = program ? program->members : nullptr; list; list = list->next) {
        if (auto *definition = cast<UiObjectDefinition *>(list->member)) {
            document->root = builder.object(definition->qualifiedTypeNameId, definition->initializer, nullptr);
            break;
        }
    }
    return document;
}

} // namespace vexa::test
