#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vexa {

// Whether the app should ask Qt for the desktop portal's platform theme, so that its file
// dialogs are the desktop's own. Qt 6.4 already takes GTK's dialogs on GTK desktops (GNOME, Xfce,
// Cinnamon, MATE, LXDE, Unity) when qt6-gtk-platformtheme is installed; on the others (KDE
// Plasma, LXQt) a Qt 6 app gets the desktop's dialog only through the portal, and only when
// asked. It is asked for when nobody chose a theme, the portal theme is installed
// (qt6-xdgdesktopportal-platformtheme) and a portal of this desktop offers a file chooser.
bool wantsPortalTheme(const QByteArray &currentDesktop, bool themeChosen,
                      const QString &platformThemesDir, const QStringList &portalDirs);

// Applies the above to this process (before the QGuiApplication is made).
void preferDesktopFileDialogs();

} // namespace vexa
