#pragma once

// The eight sections of the signed-in layout and what the shell shows for each: its title
// (which also identifies it), its shorter dock label and its symbol.

#include <QList>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace vexa {

namespace shell {
Q_NAMESPACE
QML_NAMED_ELEMENT(VexaSection)

// In the order every list of sections uses.
enum class VexaSection { Chat, Code, Images, Tools, Workspace, Community, Plans, Profile };
Q_ENUM_NS(VexaSection)
} // namespace shell

using shell::VexaSection;

QString sectionTitle(VexaSection section);
QString sectionDockLabel(VexaSection section);
QString sectionSymbol(VexaSection section);
// The address of the section's screen (a QML document in the app's resources).
QString sectionDocument(VexaSection section);

// Every section, in order.
QList<VexaSection> allSections();
// The sidebar's own buttons: plans and the profile are reached through its footer instead.
QList<VexaSection> sidebarSections();
// The compact layout's dock; the rest are behind "Ещё".
QList<VexaSection> dockSections();
// The sections whose title contains `query`, ignoring case by the rules of `locale`; the query
// is used as typed (a space is part of it). An empty query lists every section.
QList<VexaSection> filterSections(const QString &query, const QLocale &locale = QLocale());

} // namespace vexa
