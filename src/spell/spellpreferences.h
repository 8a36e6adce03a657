#pragma once

#include "preferencestore.h"

namespace vexa::spell {

// "Проверять орфографию": whether text fields underline misspelled words. Every instance reads
// and writes the one defaults store and hears writes made through any other.
class SpellPreferences : public PreferenceStore
{
    Q_OBJECT
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)

public:
    static inline const QString kEnabledKey = QStringLiteral("vexa_spellcheck");

    // The application's defaults store.
    explicit SpellPreferences(QObject *parent = nullptr);
    // A store in an INI file (tests, tools).
    explicit SpellPreferences(const QString &iniPath, QObject *parent = nullptr);

    bool enabled() const;
    void setEnabled(bool on);

Q_SIGNALS:
    void enabledChanged();
};

} // namespace vexa::spell
