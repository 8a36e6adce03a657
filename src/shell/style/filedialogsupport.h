#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace vexa::style {

// What the app adds to a QtQuick.Dialogs FileDialog (see VexaFileDialog.qml): the folder it
// opens in — the one last chosen from for its kind while the app runs, at first the user's
// Pictures or Documents folder — and, when no platform theme offers a native dialog, the mending
// of Qt 6.4's own one: it opens on the name filter asked for (not always its first), and the name
// typed into its save field is what its accept button saves, without Return first (Qt takes the
// field's text only when editing finishes).
class FileDialogSupport : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QObject *dialog READ dialog WRITE setDialog NOTIFY dialogChanged)
    // "pictures" or "documents".
    Q_PROPERTY(QString kind READ kind WRITE setKind NOTIFY folderChanged)
    Q_PROPERTY(QUrl folder READ folder NOTIFY folderChanged)

public:
    explicit FileDialogSupport(QObject *parent = nullptr);

    QObject *dialog() const { return m_dialog; }
    void setDialog(QObject *dialog);
    QString kind() const { return m_kind; }
    void setKind(const QString &kind);
    QUrl folder() const;

    // Where a dialog of `kind` opens now.
    static QString startFolder(const QString &kind);
    // A choice was made in `folder`: dialogs of `kind` open there from now on.
    static void remember(const QString &kind, const QString &folder);

Q_SIGNALS:
    void dialogChanged();
    void folderChanged();

private Q_SLOTS:
    void onVisibleChanged();
    void onAccepted();
    void onFileNameEdited();

private:
    QObject *qtDialog() const;

    QPointer<QObject> m_dialog;
    QPointer<QObject> m_fileNameField; // in Qt's own dialog, once hooked
    QString m_kind = QStringLiteral("documents");
};

} // namespace vexa::style
