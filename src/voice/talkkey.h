#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

// One key held down and let go, seen before any control of the window: the conversation's talk
// key. Buttons take Space as a click, and a key-release is no shortcut, so this watches the
// application's key events while it is enabled and keeps that key to itself (auto-repeats
// included). Leaving the application counts as letting go: the release would go elsewhere.
class TalkKey : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
    Q_PROPERTY(int key READ key WRITE setKey NOTIFY keyChanged)
    Q_PROPERTY(bool down READ down NOTIFY downChanged)

public:
    explicit TalkKey(QObject *parent = nullptr);
    ~TalkKey() override;

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int key() const { return m_key; }
    void setKey(int key);
    bool down() const { return m_down; }

Q_SIGNALS:
    void enabledChanged();
    void keyChanged();
    void downChanged();
    void pressed();
    void released();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setDown(bool down);

    bool m_enabled = false;
    int m_key = 0;
    bool m_down = false;
};
