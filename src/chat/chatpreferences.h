#pragma once

#include "preferencestore.h"

#include <QtQml/qqmlregistration.h>

namespace vexa {

// The chat's persisted look and feel: message text size and haptic feedback. Every instance
// reads and writes the one defaults store and hears writes made through any other.
class ChatPreferences : public PreferenceStore
{
    Q_OBJECT
    Q_PROPERTY(double textSize READ textSize WRITE setTextSize NOTIFY textSizeChanged)
    Q_PROPERTY(bool haptics READ haptics WRITE setHaptics NOTIFY hapticsChanged)

public:
    static inline const QString kTextSizeKey = QStringLiteral("vexa_chat_text_size");
    static inline const QString kHapticsKey = QStringLiteral("vexa_chat_haptics");
    static constexpr double kDefaultTextSize = 17.0;
    static constexpr double kMinTextSize = 14.0;
    static constexpr double kMaxTextSize = 24.0;

    // The application's defaults store.
    explicit ChatPreferences(QObject *parent = nullptr);
    // A store in an INI file (tests, tools).
    explicit ChatPreferences(const QString &iniPath, QObject *parent = nullptr);

    // Points; a stored value that is not a number reads as the default, one out of range is
    // brought into 14 … 24 (the settings offer no more, and a hand-edited store must not make
    // the chat unreadable).
    double textSize() const;
    void setTextSize(double points);
    // On desktops without a haptic device this only records the choice.
    bool haptics() const;
    void setHaptics(bool on);

Q_SIGNALS:
    void textSizeChanged();
    void hapticsChanged();
};

} // namespace vexa
