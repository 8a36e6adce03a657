#include "plaintextrules.h"

#include <QtQml/private/qqmljsast_p.h>

namespace vexa::test {

using namespace QQmlJS::AST;

namespace {

// Qt's types by how they show a text.
const QStringList kFormatted = {QStringLiteral("Text"), QStringLiteral("Label")}; // automatic by default
const QStringList kEditors = {QStringLiteral("TextEdit"), QStringLiteral("TextArea")}; // plain by default
// Controls whose style draws `text` with a Label of its own (automatic format), unless the
// control brings its own contentItem.
const QStringList kLabelled = {
    QStringLiteral("Button"), QStringLiteral("ToolButton"), QStringLiteral("RoundButton"),
    QStringLiteral("DelayButton"), QStringLiteral("TabButton"), QStringLiteral("ItemDelegate"),
    QStringLiteral("MenuItem"), QStringLiteral("MenuBarItem"), QStringLiteral("SwipeDelegate"),
    QStringLiteral("CheckBox"), QStringLiteral("RadioButton"), QStringLiteral("Switch"),
    QStringLiteral("CheckDelegate"), QStringLiteral("RadioDelegate"), QStringLiteral("SwitchDelegate"),
    QStringLiteral("ToolTip")};
// Popups and boxes whose style draws `title` with such a Label, unless replaced (header, label).
const QStringList kTitled = {QStringLiteral("Dialog"), QStringLiteral("GroupBox"), QStringLiteral("Menu")};
// Fields whose placeholder the style draws with such a Label.
const QStringList kPlaceholders = {QStringLiteral("TextField"), QStringLiteral("TextArea")};

bool isPlainFormat(ExpressionNode *expression)
{
    auto *member = cast<FieldMemberExpression *>(expression);
    return member && member->name == u"PlainText";
}

} // namespace

PlainTextRules::PlainTextRules(QList<const QmlDocument *> documents, QList<ConstantProperty> constants,
                               QStringList rendererFiles, QList<ConstantBinding> bindings)
    : m_documents(std::move(documents))
    , m_constants(std::move(constants))
    , m_rendererFiles(std::move(rendererFiles))
    , m_bindings(std::move(bindings))
{
}

const QmlDocument *PlainTextRules::documentOf(const QString &component) const
{
    for (const QmlDocument *document : m_documents) {
        if (document->component == component && document->root)
            return document;
    }
    return nullptr;
}

// The object, then the root of the component it is an instance of, and so on down to one of
// Qt's types.
QList<QmlObject *> PlainTextRules::chain(const QmlDocument *document, QmlObject *object) const
{
    QList<QmlObject *> objects{object};
    for (int depth = 0; depth < 16; ++depth) {
        const QString type = objects.constLast()->type;
        QmlObject *next = nullptr;
        if (QmlObject *inlineComponent = document->inlineComponents.value(type))
            next = inlineComponent;
        else if (const QmlDocument *component = documentOf(type)) {
            next = component->root;
            document = component;
        }
        if (!next || objects.contains(next))
            break;
        objects.append(next);
    }
    return objects;
}

bool PlainTextRules::isConstant(const QmlDocument *document, ExpressionNode *expression) const
{
    if (!expression)
        return false; // a JavaScript block: anything
    switch (expression->kind) {
    case Node::Kind_StringLiteral:
    case Node::Kind_NumericLiteral:
    case Node::Kind_TrueLiteral:
    case Node::Kind_FalseLiteral:
    case Node::Kind_NullExpression:
        return true;
    case Node::Kind_TemplateLiteral:
        for (auto *part = static_cast<TemplateLiteral *>(expression); part; part = part->next) {
            if (part->expression && !isConstant(document, part->expression))
                return false;
        }
        return true;
    case Node::Kind_NestedExpression:
        return isConstant(document, static_cast<NestedExpression *>(expression)->expression);
    case Node::Kind_BinaryExpression: {
        auto *binary = static_cast<BinaryExpression *>(expression);
        return isConstant(document, binary->left) && isConstant(document, binary->right);
    }
    case Node::Kind_ConditionalExpression: {
        auto *conditional = static_cast<ConditionalExpression *>(expression);
        return isConstant(document, conditional->ok) && isConstant(document, conditional->ko);
    }
    case Node::Kind_CallExpression: {
        // qsTr("…") and the like: the app's text.
        auto *call = static_cast<CallExpression *>(expression);
        auto *callee = cast<IdentifierExpression *>(call->base);
        if (!callee || !callee->name.startsWith(u"qsTr"))
            return false;
        for (ArgumentList *argument = call->arguments; argument; argument = argument->next) {
            if (!isConstant(document, argument->expression))
                return false;
        }
        return true;
    }
    case Node::Kind_ArrayPattern:
        for (PatternElementList *item = static_cast<ArrayPattern *>(expression)->elements; item; item = item->next) {
            if (item->element && !isConstant(document, item->element->initializer))
                return false;
        }
        return true;
    case Node::Kind_ObjectPattern:
        for (PatternPropertyList *item = static_cast<ObjectPattern *>(expression)->properties; item; item = item->next) {
            if (item->property && !isConstant(document, item->property->initializer))
                return false;
        }
        return true;
    case Node::Kind_IdentifierExpression:
    case Node::Kind_FieldMemberExpression: {
        // A property of this component that carries only the app's texts: `name` or `root.name`.
        QString name;
        if (auto *identifier = cast<IdentifierExpression *>(expression)) {
            name = identifier->name.toString();
        } else {
            auto *member = static_cast<FieldMemberExpression *>(expression);
            auto *base = cast<IdentifierExpression *>(member->base);
            if (!base || !document->root || base->name != document->root->id)
                return false;
            name = member->name.toString();
        }
        return std::any_of(m_constants.cbegin(), m_constants.cend(), [&](const ConstantProperty &c) {
            return c.component == document->component && c.property == name;
        });
    }
    default:
        return false;
    }
}

void PlainTextRules::check(const QmlDocument *document, QmlObject *object, QList<TextFinding> &into) const
{
    const QList<QmlObject *> objects = chain(document, object);
    const QString base = objects.constLast()->type;
    const auto script = [&](const QString &name, bool *found) -> ExpressionNode * {
        for (QmlObject *o : objects) {
            if (o->scripts.contains(name)) {
                *found = true;
                return o->scripts.value(name);
            }
        }
        *found = false;
        return nullptr;
    };
    const auto replaced = [&](const QString &name) {
        return std::any_of(objects.cbegin(), objects.cend(), [&](QmlObject *o) { return o->objects.contains(name); });
    };
    const auto report = [&](const QString &what) { into.append({document->file, object->line, what}); };
    const auto dataBound = [&](const QString &name) {
        if (!object->scripts.contains(name) || isConstant(document, object->scripts.value(name)))
            return false;
        const QString written = object->sources.value(name).simplified();
        for (qsizetype n = 0; n < m_bindings.size(); ++n) {
            const ConstantBinding &allowed = m_bindings.at(n);
            if (allowed.file == document->file && allowed.property == name && allowed.expression == written) {
                m_bindingUsed[n] = true;
                return false;
            }
        }
        return true;
    };
    const QString shown = object->type + u' ' + QStringLiteral("%1: ");
    const auto source = [&](const QString &name) {
        const QString text = object->sources.value(name).simplified();
        return text.size() > 70 ? text.left(69) + u'…' : text;
    };

    if (dataBound(QStringLiteral("text"))) {
        const QString text = source(QStringLiteral("text"));
        bool hasFormat = false;
        ExpressionNode *format = script(QStringLiteral("textFormat"), &hasFormat);
        const bool rich = hasFormat && !isPlainFormat(format);
        const bool renderer = m_rendererFiles.contains(document->file);
        if (kFormatted.contains(base) && !hasFormat)
            report(shown.arg(text) + QStringLiteral("automatic text format (give it Text.PlainText)"));
        else if ((kFormatted.contains(base) || kEditors.contains(base)) && rich && !renderer)
            report(shown.arg(text) + QStringLiteral("a rich text format outside the answer renderer"));
        else if (kLabelled.contains(base) && !replaced(QStringLiteral("contentItem")))
            report(shown.arg(text) + QStringLiteral("the style's label shows it in automatic format "
                                                    "(give the control a plain contentItem)"));
    }
    if (dataBound(QStringLiteral("ToolTip.text")))
        report(shown.arg(source(QStringLiteral("ToolTip.text")))
               + QStringLiteral("the attached tool tip shows it in automatic format"));
    if (kTitled.contains(base) && dataBound(QStringLiteral("title")) && !replaced(QStringLiteral("header"))
        && !replaced(QStringLiteral("label")))
        report(shown.arg(source(QStringLiteral("title")))
               + QStringLiteral("the style's title label shows it in automatic format"));
    if (kPlaceholders.contains(base) && dataBound(QStringLiteral("placeholderText")))
        report(shown.arg(source(QStringLiteral("placeholderText")))
               + QStringLiteral("the style's placeholder shows it in automatic format"));
    if (base == QLatin1String("ComboBox") && dataBound(QStringLiteral("model")) && !replaced(QStringLiteral("delegate")))
        report(shown.arg(source(QStringLiteral("model")))
               + QStringLiteral("the style's popup entries show its texts in automatic format "
                                "(give it a delegate with a plain contentItem)"));

    // Uses of a component whose property is declared to carry only the app's texts.
    for (const ConstantProperty &constant : m_constants) {
        const QmlDocument *component = documentOf(constant.component);
        if (!component || object == component->root
            || !std::any_of(objects.cbegin(), objects.cend(), [&](QmlObject *o) { return o == component->root; }))
            continue;
        if (dataBound(constant.property))
            report(shown.arg(source(constant.property)) + constant.component + u'.'
                   + constant.property + QStringLiteral(" is allowed only the app's own texts"));
    }
}

QList<TextFinding> PlainTextRules::findings() const
{
    QList<TextFinding> found;
    m_bindingUsed = QList<bool>(m_bindings.size(), false);
    for (const QmlDocument *document : m_documents) {
        if (!document->error.isEmpty()) {
            found.append({document->file, 0, QStringLiteral("not readable: ") + document->error});
            continue;
        }
        for (QmlObject *object : document->all())
            check(document, object, found);
    }
    for (const ConstantProperty &constant : m_constants) {
        const QmlDocument *component = documentOf(constant.component);
        if (!component || !component->root->declared.contains(constant.property)) {
            found.append({constant.component, 0, QStringLiteral("allowed property %1 is not declared there").arg(constant.property)});
            continue;
        }
        ExpressionNode *initial = component->root->scripts.value(constant.property);
        if (initial && !isConstant(component, initial))
            found.append({component->file, component->root->line,
                          constant.property + QStringLiteral(" starts as something other than the app's own text")});
    }
    for (qsizetype n = 0; n < m_bindings.size(); ++n) {
        if (!m_bindingUsed.at(n))
            found.append({m_bindings.at(n).file, 0,
                          QStringLiteral("allowed binding %1: %2 matches nothing")
                              .arg(m_bindings.at(n).property, m_bindings.at(n).expression)});
    }
    return found;
}

} // namespace vexa::test
