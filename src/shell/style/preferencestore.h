#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <limits>
#include <memory>

namespace vexa {

// One stored preference: the property that shows it (its NOTIFY signal announces changes), the
// key in the settings file (users' files have these: never rename one), the value when unset or
// unreadable, and for numbers the range a value is brought into, read or written.
struct Preference {
    const char *property;
    QString key;
    QVariant fallback;
    double minimum = -std::numeric_limits<double>::infinity();
    double maximum = std::numeric_limits<double>::infinity();
};

class PreferenceFile;

// The base of the app's preference objects. Every instance over the same store shares one view
// of it, so a write through one is read at once through all and announced by all. Writes reach
// the file once they settle (kSettleMs after the last one), so a slider's drag writes once;
// what is still waiting is written when the last instance over the store goes.
class PreferenceStore : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSettleMs = 300;

    ~PreferenceStore() override;

    // Writes what waits now.
    void flush();

Q_SIGNALS:
    // The settings file was written.
    void saved();

protected:
    // `iniPath` empty: the application's defaults store; otherwise an INI file (tests, tools).
    PreferenceStore(const QString &iniPath, QList<Preference> schema, QObject *parent);

    bool flag(const QString &key) const;
    QString text(const QString &key) const;
    // A value that is not a finite number reads as the fallback; one out of range is clamped.
    double number(const QString &key) const;
    // Stores a value (numbers clamped; a non-finite number is refused) when it differs from
    // what is stored; answers whether it did.
    bool store(const QString &key, const QVariant &value);

private:
    const Preference &preference(const QString &key) const;
    QVariant read(const Preference &preference) const;
    void announce(const QString &key);

    QList<Preference> m_schema;
    std::shared_ptr<PreferenceFile> m_file;
};

} // namespace vexa
