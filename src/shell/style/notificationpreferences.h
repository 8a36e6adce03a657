#pragma once

#include "preferencestore.h"

#include <QtQml/qqmlregistration.h>

namespace vexa {

// "vexa_notify_answers": whether an answer that arrives while the window is in the background
// is announced on the desktop. The shell's notifier reads it; the profile screen's switch
// writes it, and the notifier hears the change at once.
class NotificationPreferences : public PreferenceStore
{
    Q_OBJECT
    Q_PROPERTY(bool notifyAnswers READ notifyAnswers WRITE setNotifyAnswers NOTIFY notifyAnswersChanged)

public:
    static inline const QString kNotifyAnswersKey = QStringLiteral("vexa_notify_answers");

    // The application's defaults store.
    explicit NotificationPreferences(QObject *parent = nullptr);
    // A store in an INI file (tests, tools).
    explicit NotificationPreferences(const QString &iniPath, QObject *parent = nullptr);

    // Unset means on.
    bool notifyAnswers() const;
    void setNotifyAnswers(bool on);

Q_SIGNALS:
    void notifyAnswersChanged();
};

} // namespace vexa
