#pragma once

// The app's own source files and the string literals written in them, as the QML and C++
// rules of this folder read them.

#include <QList>
#include <QString>
#include <QStringList>

namespace vexa::test {

struct SourceText {
    QString file; // relative to the source tree
    int line = 0;
    QString text; // the literal's value, escapes decoded
};

// The source tree's root (compiled in).
QString sourceRoot();
// The app's files (under src/ and app/) whose names end in one of `suffixes`, relative to the
// root, sorted.
QStringList appSources(const QStringList &suffixes);
// The file's text (UTF-8).
QString readSource(const QString &relativePath);
// Every string literal of a C++ or QML/JavaScript document: "…", '…', `…` and C++ raw strings
// R"d(…)d", outside comments. Escapes (\n, \", \uXXXX, \u{…}, \UXXXXXXXX) are decoded; a
// template literal's ${…} parts are left out. The documents hold no regular expression literals.
QList<SourceText> stringLiterals(const QString &file, const QString &code);

// A probe document for a rule's data rows: `body` after the QtQuick and Controls imports.
inline QString qmlProbe(const QString &body)
{
    return QStringLiteral("import QtQuick\nimport QtQuick.Controls\n") + body + u'\n';
}

} // namespace vexa::test
