#pragma once

#include <QAbstractListModel>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace vexa {

// Every keyboard shortcut of the app, in one table. A QML `Shortcut` takes its keys from here
// by id (`sequences: VexaShortcuts.keys("chat.new")`), and the shortcuts sheet lists the same
// rows, so what the sheet says is what the keys do. Keys that a control handles itself (Enter
// in the composer, the arrows in the message list, the code editor's keys) are rows too, marked
// as handled: they are listed, and a test reads the QML to hold both kinds to the table.
struct ShortcutRow {
    enum class Kind {
        Shortcut, // a QML Shortcut takes these keys by the row's id
        Handled,  // a control's own key handler; listed only
    };
    QString id;
    QStringList keys;   // portable text ("Ctrl+N", "Shift+F3"); "Ctrl" is Command on macOS
    QString group;      // the screen it works on, as the sheet heads it
    QString description;
    Kind kind = Kind::Shortcut;
};

// The table, grouped in the order the sheet shows.
const QList<ShortcutRow> &shortcutTable();
const ShortcutRow *findShortcut(const QString &id);
// The keys as the platform writes them ("Ctrl+Shift+C", "⌘⇧C"), joined by ", ".
QString shortcutKeysText(const ShortcutRow &row);

// QML: the keys of a shortcut by id. An unknown id warns (tests fail on warnings) and gives no
// keys, so a mistyped id is a shortcut that never fires and a failing test, not a silent one.
class VexaShortcuts : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit VexaShortcuts(QObject *parent = nullptr);

    Q_INVOKABLE QStringList keys(const QString &id) const;
    Q_INVOKABLE QString keysText(const QString &id) const;
};

// The table's rows for the sheet, narrowed by a search: a row stays when its description, its
// group or its keys (as written, or as the platform writes them) contain every word of the
// query, ignoring case. Roles: group, description, keys.
class ShortcutListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)

public:
    enum Role { GroupRole = Qt::UserRole + 1, DescriptionRole, KeysRole };

    explicit ShortcutListModel(QObject *parent = nullptr);

    QString query() const { return m_query; }
    void setQuery(const QString &query);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void queryChanged();
    void countChanged();

private:
    QString m_query;
    QList<const ShortcutRow *> m_rows;
};

// Whether `row` is found by `query` (the model's rule, for tests).
bool shortcutMatches(const ShortcutRow &row, const QString &query);

} // namespace vexa
