#include "chatpreferences.h"

namespace vexa {

ChatPreferences::ChatPreferences(QObject *parent) : ChatPreferences(QString(), parent) {}

ChatPreferences::ChatPreferences(const QString &iniPath, QObject *parent)
    : PreferenceStore(iniPath,
                      {{"textSize", kTextSizeKey, kDefaultTextSize, kMinTextSize, kMaxTextSize},
                       {"haptics", kHapticsKey, true}},
                      parent)
{
}

double ChatPreferences::textSize() const
{
    return number(kTextSizeKey);
}

void ChatPreferences::setTextSize(double points)
{
    store(kTextSizeKey, points);
}

bool ChatPreferences::haptics() const
{
    return flag(kHapticsKey);
}

void ChatPreferences::setHaptics(bool on)
{
    store(kHapticsKey, on);
}

} // namespace vexa
