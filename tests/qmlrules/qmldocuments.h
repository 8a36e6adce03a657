#pragma once

// QML documents read with Qt's own QML parser into a small tree of objects and their bindings,
// for rules that look at what the app's QML binds where.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace QQmlJS {
class Engine;
class Lexer;
namespace AST {
class ExpressionNode;
}
} // namespace QQmlJS

namespace vexa::test {

struct QmlObject {
    QString type; // as written, without a module qualifier ("Label", "WorkspaceCardHeader")
    QString id;
    int line = 0;
    // Script bindings by their (possibly dotted) name: "text", "textFormat", "ToolTip.text".
    // Null for a binding that is a JavaScript block rather than one expression.
    QHash<QString, QQmlJS::AST::ExpressionNode *> scripts;
    QHash<QString, QString> sources;      // the same bindings' source text
    QHash<QString, QmlObject *> objects;  // object bindings: "contentItem", "delegate", "header"
    QStringList declared;                 // properties the object declares
    QList<QmlObject *> children;          // every nested object, object bindings included
    QmlObject *parent = nullptr;
};

struct QmlDocument {
    QString file;      // relative path
    QString component; // the file's type name (its base name)
    QString code;
    QString error;     // the parser's complaint, empty when it read the whole file
    QmlObject *root = nullptr;
    QHash<QString, QmlObject *> inlineComponents;
    std::shared_ptr<QQmlJS::Engine> engine; // owns the syntax tree the bindings point into
    std::shared_ptr<QQmlJS::Lexer> lexer;   // and the names in it
    std::vector<std::unique_ptr<QmlObject>> objects;

    // Every object of the document, depth first.
    QList<QmlObject *> all() const;
    QString sourceOf(QQmlJS::AST::ExpressionNode *node) const;
};

std::unique_ptr<QmlDocument> parseQml(const QString &file, const QString &code);

} // namespace vexa::test
