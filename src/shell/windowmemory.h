#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class QSettings;
class QWindow;

namespace vexa {

// The window's size, position and maximised state, and the sidebar's width, kept across
// launches in the defaults store. The app's window is placed from it before it is shown; the
// sections layout binds the sidebar's width to it.
class WindowMemory : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal sidebarWidth READ sidebarWidth WRITE setSidebarWidth NOTIFY sidebarWidthChanged)
    Q_PROPERTY(qreal minimumSidebarWidth READ minimumSidebarWidth CONSTANT)
    Q_PROPERTY(qreal maximumSidebarWidth READ maximumSidebarWidth CONSTANT)

public:
    static inline const QString kGeometryKey = QStringLiteral("vexa_window_geometry");
    static inline const QString kMaximizedKey = QStringLiteral("vexa_window_maximized");
    static inline const QString kSidebarWidthKey = QStringLiteral("vexa_sidebar_width");
    static constexpr qreal kDefaultSidebarWidth = 280;
    static constexpr qreal kMinimumSidebarWidth = 220;
    static constexpr qreal kMaximumSidebarWidth = 420;

    explicit WindowMemory(QObject *parent = nullptr);
    // A store in an INI file (tests).
    explicit WindowMemory(const QString &iniPath, QObject *parent = nullptr);
    ~WindowMemory() override;

    qreal sidebarWidth() const;
    void setSidebarWidth(qreal width);
    qreal minimumSidebarWidth() const { return kMinimumSidebarWidth; }
    qreal maximumSidebarWidth() const { return kMaximumSidebarWidth; }

    // The remembered geometry (the window's frame-less rectangle) placed onto one of these
    // screens (their available areas); nothing when none was remembered.
    std::optional<QRect> restoredGeometry(const QList<QRect> &screens, QSize minimum) const;
    bool restoredMaximized() const;
    // Follows the window from now on: its normal geometry and whether it is maximised.
    void track(QWindow *window);
    void save(const QRect &normalGeometry, bool maximized);

    // Where a saved rectangle goes: unchanged while enough of its top edge (where the title bar
    // is) lies on a screen to grab it; otherwise onto the first screen, as large as fits,
    // centred. An empty list of screens leaves it unchanged.
    static QRect placeOnScreens(QRect saved, const QList<QRect> &screens, QSize minimum);

Q_SIGNALS:
    void sidebarWidthChanged();

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace vexa
