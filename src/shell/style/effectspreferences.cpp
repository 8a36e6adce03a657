#include "effectspreferences.h"

#include <QSettings>

namespace vexa {

namespace {

// One per process: instances over the same store hear each other's writes.
class EffectsChanges : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void changed(const QString &key);
};

EffectsChanges &changes()
{
    static EffectsChanges hub;
    return hub;
}

} // namespace

EffectsPreferences::EffectsPreferences(QObject *parent)
    : EffectsPreferences(QString(), parent)
{
}

EffectsPreferences::EffectsPreferences(const QString &iniPath, QObject *parent)
    : QObject(parent),
      m_settings(iniPath.isEmpty()
                     ? std::make_unique<QSettings>(QStringLiteral("VexaAI"), QStringLiteral("VexaAI"))
                     : std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
    connect(&changes(), &EffectsChanges::changed, this, &EffectsPreferences::announce);
}

EffectsPreferences::~EffectsPreferences() = default;

bool EffectsPreferences::reduceEffects() const
{
    return m_settings->value(kReduceEffectsKey, true).toBool();
}

void EffectsPreferences::setReduceEffects(bool reduce)
{
    if (reduce == reduceEffects())
        return;
    m_settings->setValue(kReduceEffectsKey, reduce);
    m_settings->sync();
    Q_EMIT changes().changed(kReduceEffectsKey);
}

void EffectsPreferences::announce(const QString &key)
{
    if (key != kReduceEffectsKey)
        return;
    m_settings->sync(); // another instance wrote through its own QSettings
    Q_EMIT reduceEffectsChanged();
}

} // namespace vexa

#include "effectspreferences.moc"
