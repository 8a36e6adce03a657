#pragma once

// Where the app's QML shows a text that is not its own constant without saying it is plain:
// Qt's Text and Label read such a text in their automatic format, so a service string holding
// "<img src=https://…>" draws a remote picture, and the styles' buttons, menu entries, tool
// tips, dialog titles and combo box entries show their texts through such a Label.

#include "qmldocuments.h"

namespace vexa::test {

struct TextFinding {
    QString file;
    int line = 0;
    QString what;

    QString toString() const { return file + u':' + QString::number(line) + QStringLiteral(": ") + what; }
};

// A property of one of the app's components that carries only the app's own texts: every use
// of the component binds it to a constant (checked), so the component may show it as it likes.
struct ConstantProperty {
    QString component;
    QString property;
};

// One binding to a text the app makes itself in C++ (a view-model's fixed labels), which the
// scan cannot tell from data: the file, the bound property and the expression as written.
struct ConstantBinding {
    QString file;
    QString property;
    QString expression;
};

class PlainTextRules
{
public:
    // `rendererFiles`: the documents that show the answer renderer's rich text (made and
    // escaped in C++); only they may use a rich format. An allowed binding that matches nothing
    // is a finding too, so the lists stay true.
    PlainTextRules(QList<const QmlDocument *> documents, QList<ConstantProperty> constants,
                   QStringList rendererFiles, QList<ConstantBinding> bindings = {});

    QList<TextFinding> findings() const;

private:
    QList<QmlObject *> chain(const QmlDocument *document, QmlObject *object) const;
    const QmlDocument *documentOf(const QString &component) const;
    bool isConstant(const QmlDocument *document, QQmlJS::AST::ExpressionNode *expression) const;
    void check(const QmlDocument *document, QmlObject *object, QList<TextFinding> &into) const;

    QList<const QmlDocument *> m_documents;
    QList<ConstantProperty> m_constants;
    QStringList m_rendererFiles;
    QList<ConstantBinding> m_bindings;
    mutable QList<bool> m_bindingUsed;
};

} // namespace vexa::test
