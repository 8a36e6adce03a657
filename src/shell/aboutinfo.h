#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace vexa {

// What "О приложении" shows: the version, where the app talks to and keeps its files, and the
// parts it is built from with their licences.
class AboutInfo : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString version READ version CONSTANT)
    Q_PROPERTY(QString serviceOrigin READ serviceOrigin CONSTANT)
    Q_PROPERTY(QString dataFolder READ dataFolder CONSTANT)
    Q_PROPERTY(QVariantList components READ components CONSTANT)

public:
    explicit AboutInfo(QObject *parent = nullptr);

    static QString version();
    // The origin of the application's client, or why it was refused.
    static QString serviceOrigin();
    // Where the cookie store, speech models and code projects live.
    static QString dataFolder();
    // {name, licence, use} for each part, bundled ones first.
    static QVariantList components();
};

} // namespace vexa
