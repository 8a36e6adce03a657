#include "spellsettings.h"

#include "spellchecker.h"
#include "spellpreferences.h"

namespace vexa::spell {

SpellSettings::SpellSettings(QObject *parent) : SpellSettings(SpellChecker::shared(), parent) {}

SpellSettings::SpellSettings(SpellChecker *checker, QObject *parent) : QObject(parent), m_checker(checker)
{
    connect(checker, &SpellChecker::enabledChanged, this, &SpellSettings::enabledChanged);
    connect(checker, &SpellChecker::statusChanged, this, &SpellSettings::statusChanged);
    checker->load();
}

bool SpellSettings::enabled() const
{
    return m_checker && m_checker->enabled();
}

void SpellSettings::setEnabled(bool on)
{
    if (m_checker)
        m_checker->preferences()->setEnabled(on);
}

bool SpellSettings::available() const
{
    return m_checker && m_checker->status() != SpellChecker::Status::Unavailable;
}

QString SpellSettings::note() const
{
    return m_checker ? m_checker->statusText() : QString();
}

} // namespace vexa::spell
