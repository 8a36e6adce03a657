#pragma once

// Disk fixtures shared by the code workspace tests: account folders, projects written the way
// the store writes them, and reading them back.

#include "codeproject.h"
#include "codeprojectstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

namespace vexa::test {

inline QString accountFolder(const QString &dataRoot, qint64 user)
{
    return dataRoot + QStringLiteral("/VexaAI/CodeProjects/") + QString::number(user);
}

inline QString projectFolder(const QString &dataRoot, qint64 user, const QUuid &id)
{
    return accountFolder(dataRoot, user) + QLatin1Char('/') + canonicalUuidText(id);
}

inline CodeProject projectAt(const QString &name, const QDateTime &updatedAt)
{
    CodeProject project = CodeProject::make(name);
    project.updatedAt = updatedAt;
    return project;
}

// Creates the project's folder and writes its project.json.
inline bool putProject(const QString &dataRoot, qint64 user, const CodeProject &project)
{
    const QString folder = projectFolder(dataRoot, user, project.id);
    if (!QDir().mkpath(folder))
        return false;
    return bool(writeCodeProject(accountFolder(dataRoot, user), project));
}

inline bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

inline std::optional<QByteArray> readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

inline std::optional<CodeProject> readProject(const QString &dataRoot, qint64 user, const QUuid &id)
{
    const auto bytes = readBytes(projectFolder(dataRoot, user, id) + QStringLiteral("/project.json"));
    if (!bytes)
        return std::nullopt;
    auto decoded = decodeCodeProject(*bytes);
    if (!decoded)
        return std::nullopt;
    return std::move(decoded).value();
}

inline QDateTime at(int secondsAfter2020)
{
    return QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC).addSecs(secondsAfter2020);
}

} // namespace vexa::test
