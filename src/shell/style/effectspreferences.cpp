#include "effectspreferences.h"

namespace vexa {

EffectsPreferences::EffectsPreferences(QObject *parent) : EffectsPreferences(QString(), parent) {}

// Unset means reduced: a fresh install shows a still backdrop.
EffectsPreferences::EffectsPreferences(const QString &iniPath, QObject *parent)
    : PreferenceStore(iniPath, {{"reduceEffects", kReduceEffectsKey, true}}, parent)
{
}

bool EffectsPreferences::reduceEffects() const
{
    return flag(kReduceEffectsKey);
}

void EffectsPreferences::setReduceEffects(bool reduce)
{
    store(kReduceEffectsKey, reduce);
}

} // namespace vexa
