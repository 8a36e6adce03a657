#pragma once

// What the user typed and chose in the productivity sheet (its section, the search or reminder
// text and the reminder's time), kept for as long as the app runs: closing the sheet, a click
// beside it or opening it from another screen does not lose it. One set per client (a child of
// it), shared by every sheet; signing out forgets it, as the next account is someone else's.

#include "vexaclient.h"

#include <QObject>
#include <QString>

namespace vexa::utility {

class UtilityDrafts : public QObject
{
    Q_OBJECT

public:
    static UtilityDrafts *forClient(VexaClient *client);

    QString mode;
    QString query;
    QString when;

    void clear();

private:
    explicit UtilityDrafts(VexaClient *client);
};

} // namespace vexa::utility
