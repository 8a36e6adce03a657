#pragma once

// Where the app's QML has keys of its own that the shortcuts table does not know: a Shortcut
// whose keys are written in place instead of taken from the table by id, one that names an id
// the table lacks, and a key handler (Keys.on…Pressed, event.key === Qt.Key_…, StandardKey…)
// for a key that no row of the table lists.

#include "plaintextrules.h"

#include <QSet>

namespace vexa::test {

struct ShortcutScan {
    QList<TextFinding> findings;
    QStringList usedIds; // the table ids the document's Shortcuts take
    int shortcuts = 0;   // Shortcut objects seen
};

// `tableIds`: the ids a Shortcut may take; `tableKeys`: every key (Qt::Key) a row lists, with
// Enter counted as Return and Backtab as Tab.
ShortcutScan scanShortcuts(const QString &file, const QString &code, const QSet<QString> &tableIds,
                           const QSet<int> &tableKeys);

// Qt::Key of a key as the table or QML names it ("Key_Return", "Esc"), normalised as above;
// 0 for none.
int normalisedKey(int key);

} // namespace vexa::test
