#include "shortcutrules.h"

#include "qmldocuments.h"

#include <QKeySequence>
#include <QMetaEnum>
#include <QRegularExpression>

namespace vexa::test {

namespace {

int lineAt(const QString &code, qsizetype offset)
{
    return int(code.left(offset).count(u'\n')) + 1;
}

// The code with its comments blanked (kept the same length, so offsets stay lines).
QString withoutComments(const QString &code)
{
    QString out = code;
    static const QRegularExpression comment(QStringLiteral(R"(//[^\n]*|/\*.*?\*/)"),
                                            QRegularExpression::DotMatchesEverythingOption);
    auto it = comment.globalMatch(code);
    while (it.hasNext()) {
        const auto match = it.next();
        for (qsizetype i = match.capturedStart(); i < match.capturedEnd(); ++i) {
            if (out[i] != u'\n')
                out[i] = u' ';
        }
    }
    return out;
}

int qtKey(const QString &name)
{
    const QMetaEnum keys = QMetaEnum::fromType<Qt::Key>();
    bool ok = false;
    const int value = keys.keyToValue(("Key_" + name).toLatin1().constData(), &ok);
    return ok ? value : 0;
}

} // namespace

int normalisedKey(int key)
{
    if (key == Qt::Key_Enter)
        return Qt::Key_Return;
    if (key == Qt::Key_Backtab)
        return Qt::Key_Tab;
    return key;
}

ShortcutScan scanShortcuts(const QString &file, const QString &code, const QSet<QString> &tableIds,
                           const QSet<int> &tableKeys)
{
    ShortcutScan scan;
    const auto document = parseQml(file, code);
    if (!document->error.isEmpty()) {
        scan.findings.append({file, 0, QStringLiteral("unreadable QML: ") + document->error});
        return scan;
    }
    static const QRegularExpression fromTable(
        QStringLiteral(R"re(^VexaShortcuts\.keys\(\s*"([A-Za-z0-9_.]+)"\s*\)$)re"));
    for (const QmlObject *object : document->all()) {
        if (object->type != QLatin1String("Shortcut"))
            continue;
        ++scan.shortcuts;
        if (object->sources.contains(QStringLiteral("sequence"))) {
            scan.findings.append({file, object->line,
                                  QStringLiteral("a Shortcut with its keys in place (\"sequence: %1\"): "
                                                 "take them from the table, sequences: VexaShortcuts.keys(\"id\")")
                                      .arg(object->sources.value(QStringLiteral("sequence")))});
            continue;
        }
        const QString source = object->sources.value(QStringLiteral("sequences")).trimmed();
        const auto match = fromTable.match(source);
        if (!match.hasMatch()) {
            scan.findings.append({file, object->line,
                                  source.isEmpty() ? QStringLiteral("a Shortcut without keys from the table")
                                                   : QStringLiteral("a Shortcut whose keys are not the table's: ")
                                                         + source});
            continue;
        }
        const QString id = match.captured(1);
        if (!tableIds.contains(id))
            scan.findings.append({file, object->line, QStringLiteral("no shortcut \"%1\" in the table").arg(id)});
        else
            scan.usedIds.append(id);
    }

    // Keys handled by the QML itself.
    const QString text = withoutComments(code);
    struct Handled { QString name; int key; qsizetype at; };
    QList<Handled> handled;
    static const QRegularExpression keyName(QStringLiteral(R"(\bQt\.Key_(\w+))"));
    static const QRegularExpression keysSignal(QStringLiteral(R"(\bKeys\.on(\w+)Pressed\b)"));
    static const QRegularExpression standardKey(QStringLiteral(R"(\bStandardKey\.(\w+))"));
    for (auto it = keyName.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        handled.append({QStringLiteral("Qt.Key_") + m.captured(1), qtKey(m.captured(1)), m.capturedStart()});
    }
    for (auto it = keysSignal.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        handled.append({QStringLiteral("Keys.on%1Pressed").arg(m.captured(1)), qtKey(m.captured(1)),
                        m.capturedStart()});
    }
    for (auto it = standardKey.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const QMetaEnum standard = QMetaEnum::fromType<QKeySequence::StandardKey>();
        bool ok = false;
        const int value = standard.keyToValue(m.captured(1).toLatin1().constData(), &ok);
        int key = 0;
        if (ok) {
            // Any of the platform's bindings counts: the table writes the portable one.
            for (const QKeySequence &binding : QKeySequence::keyBindings(QKeySequence::StandardKey(value))) {
                if (!binding.isEmpty() && tableKeys.contains(normalisedKey(binding[0].key()))) {
                    key = normalisedKey(binding[0].key());
                    break;
                }
            }
        }
        handled.append({QStringLiteral("StandardKey.") + m.captured(1), key ? key : -1, m.capturedStart()});
    }
    for (const Handled &h : std::as_const(handled)) {
        if (h.key == 0)
            scan.findings.append({file, lineAt(text, h.at), h.name + QStringLiteral(" is no key Qt knows")});
        else if (!tableKeys.contains(normalisedKey(h.key)))
            scan.findings.append({file, lineAt(text, h.at),
                                  h.name + QStringLiteral(" is handled here but no row of the shortcuts table lists that key")});
    }
    return scan;
}

} // namespace vexa::test
