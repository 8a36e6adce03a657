#include "windowmemory.h"

#include <QSettings>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace vexa {

namespace {

// How much of the window's top strip must lie on a screen for the user to reach and move it.
constexpr int kGrabStripHeight = 32;
constexpr int kGrabMinimumWidth = 120;

bool grabbable(const QRect &window, const QList<QRect> &screens)
{
    const QRect strip(window.left(), window.top(), window.width(), kGrabStripHeight);
    return std::any_of(screens.cbegin(), screens.cend(), [&](const QRect &screen) {
        const QRect onScreen = strip.intersected(screen);
        return onScreen.width() >= std::min(kGrabMinimumWidth, window.width())
            && onScreen.height() >= std::min(kGrabStripHeight / 2, window.height());
    });
}

} // namespace

WindowMemory::WindowMemory(QObject *parent)
    : WindowMemory(QString(), parent)
{
}

WindowMemory::WindowMemory(const QString &iniPath, QObject *parent)
    : QObject(parent),
      m_settings(iniPath.isEmpty()
                     ? std::make_unique<QSettings>(QStringLiteral("VexaAI"), QStringLiteral("VexaAI"))
                     : std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

WindowMemory::~WindowMemory() = default;

qreal WindowMemory::sidebarWidth() const
{
    bool ok = false;
    const qreal stored = m_settings->value(kSidebarWidthKey).toDouble(&ok);
    if (!ok || !std::isfinite(stored))
        return kDefaultSidebarWidth;
    return std::clamp(stored, kMinimumSidebarWidth, kMaximumSidebarWidth);
}

void WindowMemory::setSidebarWidth(qreal width)
{
    if (!std::isfinite(width))
        return;
    width = std::clamp(std::round(width), kMinimumSidebarWidth, kMaximumSidebarWidth);
    if (width == sidebarWidth() && m_settings->contains(kSidebarWidthKey))
        return;
    m_settings->setValue(kSidebarWidthKey, width);
    Q_EMIT sidebarWidthChanged();
}

std::optional<QRect> WindowMemory::restoredGeometry(const QList<QRect> &screens, QSize minimum) const
{
    const QRect saved = m_settings->value(kGeometryKey).toRect();
    if (!saved.isValid() || saved.isEmpty())
        return std::nullopt;
    return placeOnScreens(saved, screens, minimum);
}

bool WindowMemory::restoredMaximized() const
{
    return m_settings->value(kMaximizedKey, false).toBool();
}

void WindowMemory::save(const QRect &normalGeometry, bool maximized)
{
    if (normalGeometry.isValid() && !normalGeometry.isEmpty())
        m_settings->setValue(kGeometryKey, normalGeometry);
    m_settings->setValue(kMaximizedKey, maximized);
}

void WindowMemory::track(QWindow *window)
{
    // Only a normal window's rectangle is worth keeping: a maximised one comes back maximised
    // over the size it had before.
    auto remember = [this, window] {
        const Qt::WindowStates state = window->windowStates();
        const bool maximized = state.testFlag(Qt::WindowMaximized) || state.testFlag(Qt::WindowFullScreen);
        if (maximized || state.testFlag(Qt::WindowMinimized))
            m_settings->setValue(kMaximizedKey, maximized);
        else
            save(window->geometry(), false);
    };
    connect(window, &QWindow::xChanged, this, remember);
    connect(window, &QWindow::yChanged, this, remember);
    connect(window, &QWindow::widthChanged, this, remember);
    connect(window, &QWindow::heightChanged, this, remember);
    connect(window, &QWindow::windowStateChanged, this, remember);
    // The place the window first appears at counts too (the window system may have chosen it).
    connect(window, &QWindow::visibleChanged, this, [window, remember] {
        if (window->isVisible())
            remember();
    });
}

QRect WindowMemory::placeOnScreens(QRect saved, const QList<QRect> &screens, QSize minimum)
{
    if (screens.isEmpty())
        return saved;
    saved.setSize(saved.size().expandedTo(minimum));
    if (grabbable(saved, screens))
        return saved; // still reachable: left where the user put it
    const QRect target = screens.constFirst();
    QSize size = saved.size().boundedTo(target.size()).expandedTo(minimum.boundedTo(target.size()));
    QRect placed(QPoint(), size);
    placed.moveCenter(target.center());
    return placed;
}

} // namespace vexa
