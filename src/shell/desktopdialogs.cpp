#include "desktopdialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QSettings>

namespace vexa {

bool wantsPortalTheme(const QByteArray &currentDesktop, bool themeChosen,
                      const QString &platformThemesDir, const QStringList &portalDirs)
{
    if (themeChosen || currentDesktop.isEmpty())
        return false;
    const QList<QByteArray> desktops = currentDesktop.toLower().split(':');
    // Qt's own choice on these is the GTK theme with GTK's dialogs.
    for (const QByteArray &gtk : {"gnome", "x-cinnamon", "unity", "mate", "xfce", "lxde"}) {
        if (desktops.contains(gtk))
            return false;
    }
    if (!QFileInfo::exists(platformThemesDir + QStringLiteral("/libqxdgdesktopportal.so")))
        return false;
    // xdg-desktop-portal's own description of its back-ends: which interfaces, on which desktops.
    for (const QString &dir : portalDirs) {
        const auto portals = QDir(dir).entryInfoList({QStringLiteral("*.portal")}, QDir::Files);
        for (const QFileInfo &portal : portals) {
            const QSettings description(portal.filePath(), QSettings::IniFormat);
            const QStringList interfaces =
                description.value(QStringLiteral("portal/Interfaces")).toString().split(QLatin1Char(';'));
            const QStringList useIn =
                description.value(QStringLiteral("portal/UseIn")).toString().toLower().split(QLatin1Char(';'));
            if (!interfaces.contains(QStringLiteral("org.freedesktop.impl.portal.FileChooser")))
                continue;
            for (const QByteArray &desktop : desktops) {
                if (useIn.contains(QString::fromUtf8(desktop)))
                    return true;
            }
        }
    }
    return false;
}

void preferDesktopFileDialogs()
{
    const QString themes =
        QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platformthemes");
    if (wantsPortalTheme(qgetenv("XDG_CURRENT_DESKTOP"),
                         qEnvironmentVariableIsSet("QT_QPA_PLATFORMTHEME"), themes,
                         {QStringLiteral("/usr/share/xdg-desktop-portal/portals")})) {
        qputenv("QT_QPA_PLATFORMTHEME", "xdgdesktopportal");
    }
}

} // namespace vexa
