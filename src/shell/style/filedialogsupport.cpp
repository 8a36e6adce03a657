#include "filedialogsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMetaProperty>
#include <QStandardPaths>
#include <QWindow>

namespace vexa::style {

namespace {

// The folders chosen from while the app runs, by kind, and who to tell when one changes.
class FolderMemory : public QObject
{
    Q_OBJECT
public:
    static FolderMemory &instance()
    {
        static FolderMemory memory;
        return memory;
    }
    QHash<QString, QString> folders;
Q_SIGNALS:
    void changed();
};

// QtQuick.Dialogs' FileDialog.SaveFile.
constexpr int kSaveFile = 2;

} // namespace

FileDialogSupport::FileDialogSupport(QObject *parent) : QObject(parent)
{
    connect(&FolderMemory::instance(), &FolderMemory::changed, this,
            &FileDialogSupport::folderChanged);
}

void FileDialogSupport::setDialog(QObject *dialog)
{
    if (m_dialog == dialog)
        return;
    if (m_dialog)
        disconnect(m_dialog, nullptr, this, nullptr);
    m_dialog = dialog;
    if (m_dialog) {
        connect(m_dialog, SIGNAL(visibleChanged()), this, SLOT(onVisibleChanged()));
        connect(m_dialog, SIGNAL(accepted()), this, SLOT(onAccepted()));
    }
    Q_EMIT dialogChanged();
}

void FileDialogSupport::setKind(const QString &kind)
{
    if (m_kind == kind)
        return;
    m_kind = kind;
    Q_EMIT folderChanged();
}

QUrl FileDialogSupport::folder() const
{
    return QUrl::fromLocalFile(startFolder(m_kind));
}

QString FileDialogSupport::startFolder(const QString &kind)
{
    const QString remembered = FolderMemory::instance().folders.value(kind);
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return remembered;
    const auto location = kind == QLatin1String("pictures") ? QStandardPaths::PicturesLocation
                                                            : QStandardPaths::DocumentsLocation;
    // A fresh account may not have the folder yet (xdg-user-dirs not run): the home folder then.
    const QString standard = QStandardPaths::writableLocation(location);
    if (!standard.isEmpty() && QFileInfo(standard).isDir())
        return standard;
    return QDir::homePath();
}

void FileDialogSupport::remember(const QString &kind, const QString &folder)
{
    FolderMemory &memory = FolderMemory::instance();
    if (folder.isEmpty() || memory.folders.value(kind) == folder)
        return;
    memory.folders.insert(kind, folder);
    Q_EMIT memory.changed();
}

// Qt's own dialog: the popup the FileDialog makes in its window on first show, when no platform
// theme gives a native one (then there is none, and nothing here is needed).
QObject *FileDialogSupport::qtDialog() const
{
    if (!m_dialog)
        return nullptr;
    const auto isOurs = [this](QObject *object) {
        return object->inherits("QQuickFileDialogImpl")
            && object->property("title") == m_dialog->property("title")
            && object->property("visible").toBool();
    };
    const auto owned = m_dialog->findChildren<QObject *>();
    for (QObject *object : owned) {
        if (isOurs(object))
            return object;
    }
    if (auto *window = qvariant_cast<QWindow *>(m_dialog->property("parentWindow"))) {
        const auto inWindow = window->findChildren<QObject *>();
        for (QObject *object : inWindow) {
            if (isOurs(object))
                return object;
        }
    }
    return nullptr;
}

void FileDialogSupport::onVisibleChanged()
{
    if (!m_dialog || !m_dialog->property("visible").toBool())
        return;
    QObject *impl = qtDialog();
    if (!impl)
        return;
    // Qt 6.4's dialog opens on its first name filter whatever filter was asked for: choose the
    // asked one in its filter box as the user would (its handler then filters the list).
    if (auto *filter = qvariant_cast<QObject *>(m_dialog->property("selectedNameFilter"))) {
        const int wanted = filter->property("index").toInt();
        const auto children = impl->findChildren<QObject *>();
        for (QObject *box : children) {
            if (!box->inherits("QQuickComboBox"))
                continue;
            if (wanted > 0 && box->property("currentIndex").toInt() != wanted) {
                box->setProperty("currentIndex", wanted);
                QMetaObject::invokeMethod(box, "activated", Q_ARG(int, wanted));
            }
            break;
        }
    }
    if (m_dialog->property("fileMode").toInt() != kSaveFile)
        return;
    QObject *field = impl->findChild<QObject *>(QStringLiteral("fileNameTextField"));
    if (!field || field == m_fileNameField)
        return;
    if (m_fileNameField)
        disconnect(m_fileNameField, nullptr, this, nullptr);
    m_fileNameField = field;
    connect(field, SIGNAL(textChanged()), this, SLOT(onFileNameEdited()));
}

void FileDialogSupport::onFileNameEdited()
{
    if (!m_fileNameField)
        return;
    QObject *impl = qtDialog();
    if (!impl)
        return;
    // Qt's dialog sets its selected file from the field only when editing finishes, so a click
    // on its accept button straight after typing saved under the previous name (or nothing).
    const QString name = m_fileNameField->property("text").toString();
    const QString folder = impl->property("currentFolder").toUrl().toLocalFile();
    const QUrl file = name.isEmpty() || folder.isEmpty()
        ? QUrl()
        : QUrl::fromLocalFile(QDir(folder).filePath(name));
    if (impl->property("selectedFile").toUrl() != file)
        impl->setProperty("selectedFile", file);
}

void FileDialogSupport::onAccepted()
{
    if (!m_dialog)
        return;
    QList<QUrl> files = qvariant_cast<QList<QUrl>>(m_dialog->property("selectedFiles"));
    if (files.isEmpty())
        files.append(m_dialog->property("selectedFile").toUrl());
    const QUrl first = files.first();
    if (first.isLocalFile())
        remember(m_kind, QFileInfo(first.toLocalFile()).absolutePath());
}

} // namespace vexa::style

#include "filedialogsupport.moc"
