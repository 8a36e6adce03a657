#include "appmodule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>
#include <QStringList>

#include <deque>

namespace vexa::modules {

namespace {

// In the order of appmodule.h.
QStringList candidates(const ModuleFile &wanted)
{
    const QString name = QString::fromUtf8(wanted.fileName);
    QStringList paths;
    if (QCoreApplication::instance())
        paths << QCoreApplication::applicationDirPath() + QStringLiteral("/" VEXA_MODULES_FROM_BINDIR "/") + name;
    paths << QString::fromUtf8(wanted.builtPath) << QStringLiteral(VEXA_MODULES_INSTALLED "/") + name;
    return paths;
}

} // namespace

const void *load(const ModuleFile &wanted, QString *whyNot)
{
    // The loaded modules' objects go at exit; the modules stay loaded (a QLibrary does not
    // unload on its own), as their code may run until then.
    static QMutex mutex;
    static std::deque<QLibrary> loaded;
    QMutexLocker lock(&mutex);
    QStringList tried;
    const QStringList paths = candidates(wanted);
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary &library = loaded.emplace_back(path);
        using Entry = const void *(*)();
        const auto entry = library.load() ? reinterpret_cast<Entry>(library.resolve(wanted.entry)) : nullptr;
        const void *table = entry ? entry() : nullptr;
        if (table && *static_cast<const quint32 *>(table) == wanted.abi)
            return table;
        if (!library.isLoaded())
            tried << library.errorString();
        else if (!table)
            tried << QStringLiteral("%1: no %2 in it").arg(path, QString::fromUtf8(wanted.entry));
        else
            tried << QStringLiteral("%1: built for another version").arg(path);
        library.unload();
        loaded.pop_back();
    }
    if (whyNot)
        *whyNot = tried.isEmpty() ? QStringLiteral("not found in %1").arg(paths.join(u", ")) : tried.join(u"; ");
    return nullptr;
}

} // namespace vexa::modules
