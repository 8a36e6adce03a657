#include "screenreader.h"

namespace vexa {

ScreenReader::ScreenReader(QObject *parent) : QObject(parent), m_active(QAccessible::isActive())
{
    QAccessible::installActivationObserver(this);
    s_instances.append(this);
}

ScreenReader::~ScreenReader()
{
    s_instances.removeOne(this);
    QAccessible::removeActivationObserver(this);
}

void ScreenReader::assumeListening(bool listening)
{
    if (s_assumed == listening)
        return;
    s_assumed = listening;
    for (ScreenReader *reader : std::as_const(s_instances)) {
        if (!reader->m_active)
            Q_EMIT reader->activeChanged();
    }
}

void ScreenReader::accessibilityActiveChanged(bool active)
{
    if (m_active == active)
        return;
    const bool before = this->active();
    m_active = active;
    if (this->active() != before)
        Q_EMIT activeChanged();
}

} // namespace vexa
