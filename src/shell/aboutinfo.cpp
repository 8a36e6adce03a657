#include "aboutinfo.h"

#include "vexaclient.h"

#include <QDir>
#include <QStandardPaths>
#include <QVariantMap>

#ifndef VEXA_VERSION
#error "VEXA_VERSION comes from the project's version in CMake"
#endif

namespace vexa {

AboutInfo::AboutInfo(QObject *parent)
    : QObject(parent)
{
}

QString AboutInfo::version()
{
    return QStringLiteral(VEXA_VERSION);
}

QString AboutInfo::serviceOrigin()
{
    const VexaClient *client = VexaClient::shared();
    if (!client)
        return QString();
    if (!client->originError().isEmpty())
        return client->originError();
    return client->baseURL().toString();
}

QString AboutInfo::dataFolder()
{
    return QDir::toNativeSeparators(
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .filePath(QStringLiteral("VexaAI")));
}

QVariantList AboutInfo::components()
{
    auto part = [](const char *name, const char *licence, const char *use) {
        return QVariantMap{{QStringLiteral("name"), QString::fromUtf8(name)},
                           {QStringLiteral("licence"), QString::fromUtf8(licence)},
                           {QStringLiteral("use"), QString::fromUtf8(use)}};
    };
    return {
        part("Material Icons", "Apache License 2.0", "значки, встроены в приложение"),
        part("Qt " QT_VERSION_STR, "LGPL 3.0", "окна, сеть, речь и звук"),
        part("QCoro", "MIT", "асинхронные операции"),
        part("PocketSphinx", "BSD 2-Clause", "распознавание речи на устройстве"),
        part("Speech Dispatcher", "LGPL 2.1 / GPL 2.0", "голоса системы"),
    };
}

} // namespace vexa
