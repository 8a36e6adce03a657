#pragma once

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace vexa::spell {

class SpellChecker;

// The settings' "Проверять орфографию" switch: the user's choice, and whether there is anything
// to check with. Without any dictionary the switch is off limits and `note` says why; with one of
// the two, `note` names the language left unchecked.
class SpellSettings : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
    Q_PROPERTY(bool available READ available NOTIFY statusChanged)
    Q_PROPERTY(QString note READ note NOTIFY statusChanged)

public:
    // The app's checker (its dictionaries are looked for at once, on its worker).
    explicit SpellSettings(QObject *parent = nullptr);
    // Tests: their own checker.
    explicit SpellSettings(SpellChecker *checker, QObject *parent = nullptr);

    bool enabled() const;
    void setEnabled(bool on);
    bool available() const;
    QString note() const;

Q_SIGNALS:
    void enabledChanged();
    void statusChanged();

private:
    QPointer<SpellChecker> m_checker;
};

} // namespace vexa::spell
