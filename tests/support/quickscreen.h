#pragma once

// What the screens' QML tests share: a screen's document shown in a window as the app shows it,
// finding its items, what a screen reader hears there, typing into it, and a menu's entries.

#include <QAccessible>
#include <QQuickItem>
#include <QQuickView>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <memory>

class QQmlEngine;

namespace vexa::test {

// `source` in a window of `size` with the app's module path and background, its root sized to
// the window, shown, active and exposed. Nothing when the document does not load (its errors
// are logged as warnings) or the window is not exposed in time.
std::unique_ptr<QQuickView> openScreen(const QUrl &source, QSize size,
                                       const QVariantMap &initialProperties = {});

// The object `qml` (a QML document's text) describes, made in `engine` with the app's module
// path and no window. Nothing when it does not load (its errors are logged as warnings).
std::unique_ptr<QObject> createObject(QQmlEngine &engine, const QByteArray &qml);

QQuickItem *findItem(QQuickItem *root, const QString &name);
// Every object of the window (items, popups and what popups hold) with this name.
QObject *findObject(QQuickView &view, const QString &name);

// The names a screen reader finds showing in the window: every node of the accessibility tree
// not marked invisible, and the nodes under it.
void collectShown(QAccessibleInterface *node, QStringList &names, int depth = 0);
QStringList shownToScreenReaders(QQuickView &view);
bool anyContains(const QStringList &names, const QString &text);

// Text typed as a person types it: one character at a time, as text without a key code (how
// Cyrillic arrives).
void typeText(QWindow *window, const QString &text);

// The texts of a menu's entries that are shown and enabled, in order.
QStringList menuEntries(QObject *menu);

} // namespace vexa::test
