#pragma once

#include <QAccessible>
#include <QList>
#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace vexa {

// Whether a screen reader (or another assistive technology) is listening. Texts made only for
// it — a message's spoken name with its speaker, a table cell's plain text — are bound to
// `ScreenReader.active`, so a long list does not build them at every scroll for nobody; when one
// starts listening, every such binding fills in at once.
class ScreenReader : public QObject, private QAccessible::ActivationObserver
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)

public:
    explicit ScreenReader(QObject *parent = nullptr);
    ~ScreenReader() override;

    bool active() const { return m_active || s_assumed; }
    // Where no accessibility bridge can say whether one listens (the offscreen platform of the
    // tests and the screenshots): takes it that one does, or no longer does.
    static void assumeListening(bool listening);

Q_SIGNALS:
    void activeChanged();

private:
    void accessibilityActiveChanged(bool active) override;

    bool m_active = false;
    static inline bool s_assumed = false;
    static inline QList<ScreenReader *> s_instances;
};

} // namespace vexa
