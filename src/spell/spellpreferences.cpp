#include "spellpreferences.h"

namespace vexa::spell {

SpellPreferences::SpellPreferences(QObject *parent) : SpellPreferences(QString(), parent) {}

SpellPreferences::SpellPreferences(const QString &iniPath, QObject *parent)
    : PreferenceStore(iniPath, {{"enabled", kEnabledKey, true}}, parent)
{
}

bool SpellPreferences::enabled() const
{
    return flag(kEnabledKey);
}

void SpellPreferences::setEnabled(bool on)
{
    store(kEnabledKey, on);
}

} // namespace vexa::spell
