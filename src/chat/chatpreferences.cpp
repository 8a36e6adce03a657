#include "chatpreferences.h"

#include <QSettings>

#include <algorithm>
#include <cmath>

namespace vexa {

namespace {

class ChatPreferenceChanges : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void changed(const QString &key);
};

ChatPreferenceChanges &changes()
{
    static ChatPreferenceChanges hub;
    return hub;
}

} // namespace

ChatPreferences::ChatPreferences(QObject *parent) : ChatPreferences(QString(), parent) {}

ChatPreferences::ChatPreferences(const QString &iniPath, QObject *parent)
    : QObject(parent),
      m_settings(iniPath.isEmpty()
                     ? std::make_unique<QSettings>(QStringLiteral("VexaAI"), QStringLiteral("VexaAI"))
                     : std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
    connect(&changes(), &ChatPreferenceChanges::changed, this, &ChatPreferences::announce);
}

ChatPreferences::~ChatPreferences() = default;

double ChatPreferences::textSize() const
{
    bool ok = false;
    const double stored = m_settings->value(kTextSizeKey, kDefaultTextSize).toDouble(&ok);
    if (!ok || !std::isfinite(stored))
        return kDefaultTextSize;
    return std::clamp(stored, kMinTextSize, kMaxTextSize);
}

void ChatPreferences::setTextSize(double points)
{
    if (std::isfinite(points) && points != textSize())
        write(kTextSizeKey, std::clamp(points, kMinTextSize, kMaxTextSize));
}

bool ChatPreferences::haptics() const
{
    return m_settings->value(kHapticsKey, true).toBool();
}

void ChatPreferences::setHaptics(bool on)
{
    if (on != haptics())
        write(kHapticsKey, on);
}

void ChatPreferences::write(const QString &key, const QVariant &value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
    Q_EMIT changes().changed(key);
}

void ChatPreferences::announce(const QString &key)
{
    // Other instances may hold their own QSettings object on the same file.
    m_settings->sync();
    if (key == kTextSizeKey)
        Q_EMIT textSizeChanged();
    else if (key == kHapticsKey)
        Q_EMIT hapticsChanged();
}

} // namespace vexa

#include "chatpreferences.moc"
