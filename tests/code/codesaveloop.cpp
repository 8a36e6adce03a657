// Test helper: rewrites one project's project.json as fast as it can, with conversations of
// changing length, until it is killed or has written `count` times.
//   code_save_loop <account folder> <PROJECT-UUID> <count>
// Prints "ready" once the first write is done.

#include "codeprojectstore.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    const QString accountRoot = args.at(1);
    const QUuid id = QUuid::fromString(args.at(2));
    const int count = args.at(3).toInt();

    vexa::CodeProject project{id, QStringLiteral("Краш-тест"), QStringLiteral("c-1"), {},
                              QDateTime::currentDateTimeUtc()};
    const QString longText = QStringLiteral("строка кода; ").repeated(400);
    for (int i = 0; i < count; ++i) {
        project.messages.append(vexa::ChatEntry::make(
            i % 2 ? vexa::ChatEntry::Role::Assistant : vexa::ChatEntry::Role::User,
            QString::number(i) + longText));
        if (project.messages.size() > 80)
            project.messages.remove(0, project.messages.size() - (i % 80));
        project.updatedAt = QDateTime::currentDateTimeUtc();
        if (!vexa::writeCodeProject(accountRoot, project))
            return 1;
        if (i == 0) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        }
    }
    return 0;
}
