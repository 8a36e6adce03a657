#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vexa::voice {

// The three files a PocketSphinx decoder needs for one language.
struct SpeechModel
{
    QString acousticModel; // folder with mdef, means, variances, …
    QString languageModel; // *.lm.bin, *.lm or *.lm.dmp
    QString dictionary;    // *.dict or *.dic
};

// Where models are looked for, in order: "VexaAI/speech/<tag>/" under every data location of the
// user and the system, then the models Debian installs (en-US only).
QStringList speechModelFolders(const QString &languageTag);

// The model in a folder laid out as PocketSphinx models are shipped: the acoustic model in the
// folder itself or in one of its subfolders, the language model and dictionary beside it.
std::optional<SpeechModel> speechModelIn(const QString &folder);

// The first complete model for a language, if any.
std::optional<SpeechModel> findSpeechModel(const QString &languageTag);

} // namespace vexa::voice
