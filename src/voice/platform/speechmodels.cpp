#include "speechmodels.h"

#include "../voiceinfo.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vexa::voice {

namespace {

const QString kDebianEnglishModel = QStringLiteral("/usr/share/pocketsphinx/model/en-us");

bool isAcousticModel(const QDir &dir)
{
    return dir.exists(QStringLiteral("mdef")) && dir.exists(QStringLiteral("means"))
           && dir.exists(QStringLiteral("variances"));
}

// Phone-loop models sit beside the word model in Debian's folder; they recognise no words.
QString pickFile(const QDir &dir, const QStringList &patterns)
{
    const QFileInfoList files = dir.entryInfoList(patterns, QDir::Files, QDir::Name);
    QString fallback;
    for (const QFileInfo &file : files) {
        if (!file.fileName().contains(QStringLiteral("phone"), Qt::CaseInsensitive))
            return file.absoluteFilePath();
        if (fallback.isEmpty())
            fallback = file.absoluteFilePath();
    }
    return fallback;
}

} // namespace

QStringList speechModelFolders(const QString &languageTag)
{
    const QString tag = VoiceInventory::canonicalTag(languageTag);
    if (tag.isEmpty())
        return {};
    QStringList folders;
    for (const QString &root : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders.append(root + QStringLiteral("/VexaAI/speech/") + tag);
    if (tag == QStringLiteral("en-US"))
        folders.append(kDebianEnglishModel);
    return folders;
}

std::optional<SpeechModel> speechModelIn(const QString &folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        return std::nullopt;

    QString acoustic;
    if (isAcousticModel(dir)) {
        acoustic = dir.absolutePath();
    } else {
        const QStringList subfolders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &name : subfolders) {
            const QDir sub(dir.absoluteFilePath(name));
            if (isAcousticModel(sub)) {
                acoustic = sub.absolutePath();
                break;
            }
        }
    }
    const QString languageModel =
        pickFile(dir, {QStringLiteral("*.lm.bin"), QStringLiteral("*.lm"),
                       QStringLiteral("*.lm.dmp"), QStringLiteral("*.lm.DMP")});
    const QString dictionary = pickFile(dir, {QStringLiteral("*.dict"), QStringLiteral("*.dic")});
    if (acoustic.isEmpty() || languageModel.isEmpty() || dictionary.isEmpty())
        return std::nullopt;
    return SpeechModel{acoustic, languageModel, dictionary};
}

std::optional<SpeechModel> findSpeechModel(const QString &languageTag)
{
    for (const QString &folder : speechModelFolders(languageTag)) {
        if (auto model = speechModelIn(folder))
            return model;
    }
    return std::nullopt;
}

} // namespace vexa::voice
