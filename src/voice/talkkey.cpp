#include "talkkey.h"

#include <QGuiApplication>
#include <QKeyEvent>

TalkKey::TalkKey(QObject *parent) : QObject(parent)
{
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    setDown(false);
            });
}

TalkKey::~TalkKey()
{
    if (m_enabled)
        qGuiApp->removeEventFilter(this);
}

void TalkKey::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (enabled) {
        qGuiApp->installEventFilter(this);
    } else {
        qGuiApp->removeEventFilter(this);
        setDown(false);
    }
    Q_EMIT enabledChanged();
}

void TalkKey::setKey(int key)
{
    if (m_key == key)
        return;
    setDown(false);
    m_key = key;
    Q_EMIT keyChanged();
}

void TalkKey::setDown(bool down)
{
    if (m_down == down)
        return;
    m_down = down;
    Q_EMIT downChanged();
    if (down)
        Q_EMIT pressed();
    else
        Q_EMIT released();
}

bool TalkKey::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (m_key == 0
        || (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride))
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    // With a modifier it is another key (Ctrl+Space and the like belong to the platform).
    if (key->key() != m_key || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return QObject::eventFilter(watched, event);
    // An event reaches the application's filter once per receiver on its way (the window, then
    // the item): only the window's counts.
    if (!watched->isWindowType())
        return true;
    if (type == QEvent::KeyPress && !key->isAutoRepeat())
        setDown(true);
    else if (type == QEvent::KeyRelease && !key->isAutoRepeat())
        setDown(false);
    return true;
}
