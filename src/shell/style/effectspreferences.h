#pragma once

#include "preferencestore.h"

#include <QtQml/qqmlregistration.h>

namespace vexa {

// "vexa_reduce_effects": whether the animated backdrop stays still. The backdrop reads it; the
// profile screen's switch writes it. Every instance reads the same store, and a change made
// through one is announced by all of them, so the backdrop follows the switch at once.
class EffectsPreferences : public PreferenceStore
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool reduceEffects READ reduceEffects WRITE setReduceEffects NOTIFY
                   reduceEffectsChanged)

public:
    static inline const QString kReduceEffectsKey = QStringLiteral("vexa_reduce_effects");

    // The application's defaults store (organisation and application "VexaAI").
    explicit EffectsPreferences(QObject *parent = nullptr);
    // A store in an INI file (tests, tools).
    explicit EffectsPreferences(const QString &iniPath, QObject *parent = nullptr);

    // Unset means reduced: a fresh install shows a still backdrop.
    bool reduceEffects() const;
    void setReduceEffects(bool reduce);

Q_SIGNALS:
    void reduceEffectsChanged();
};

} // namespace vexa
