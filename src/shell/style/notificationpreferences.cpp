#include "notificationpreferences.h"

namespace vexa {

NotificationPreferences::NotificationPreferences(QObject *parent)
    : NotificationPreferences(QString(), parent)
{
}

NotificationPreferences::NotificationPreferences(const QString &iniPath, QObject *parent)
    : PreferenceStore(iniPath, {{"notifyAnswers", kNotifyAnswersKey, true}}, parent)
{
}

bool NotificationPreferences::notifyAnswers() const
{
    return flag(kNotifyAnswersKey);
}

void NotificationPreferences::setNotifyAnswers(bool on)
{
    store(kNotifyAnswersKey, on);
}

} // namespace vexa
