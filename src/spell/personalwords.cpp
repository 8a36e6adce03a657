#include "personalwords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace vexa::spell {

QString PersonalWords::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("spelling/personal-words.txt"));
}

PersonalWords PersonalWords::read(const QString &path)
{
    PersonalWords list;
    const QFileInfo info(path);
    if (!info.exists())
        return list;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        list.writable = false;
        return list;
    }
    QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes) {
        list.truncated = true;
        bytes.truncate(kMaxBytes);
        // The last line may have been cut in the middle.
        const qsizetype lastBreak = bytes.lastIndexOf('\n');
        bytes.truncate(lastBreak < 0 ? 0 : lastBreak);
    }
    if (file.error() != QFileDevice::NoError) {
        list.writable = false;
        return list;
    }
    const QString text = QString::fromUtf8(bytes);
    for (QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        line = line.trimmed();
        if (!line.isEmpty() && line.size() <= kMaxWordLength)
            list.words.append(line.toString());
    }
    return list;
}

bool PersonalWords::append(const QString &path, const QString &word)
{
    const QString line = word.trimmed();
    if (line.isEmpty() || line.size() > kMaxWordLength || line.contains(u'\n'))
        return false;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    // A list whose last line has no line break (edited by hand) gets one before the new word.
    bool needsBreak = false;
    if (file.open(QIODevice::ReadOnly)) {
        if (file.size() > 0 && file.seek(file.size() - 1)) {
            char last = '\n';
            needsBreak = file.getChar(&last) && last != '\n';
        }
        file.close();
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    QByteArray bytes = line.toUtf8() + '\n';
    if (needsBreak)
        bytes.prepend('\n');
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace vexa::spell
