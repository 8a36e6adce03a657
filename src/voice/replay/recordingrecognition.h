#pragma once

#include <QString>

#include <optional>

namespace vexa::voice {

struct RecordingTranscript
{
    QString text;
    double seconds = 0.0; // wall time from start to the final text
};

// Our path for a recording: file capture as fast as the recognizer takes it, the same tap work
// as VoiceService (request append and level check), the PocketSphinx recognizer for `language`,
// audio ended when the file is. Blocks until the final result or `timeoutSeconds`. For tests and
// benchmarks only.
std::optional<RecordingTranscript> recognizeRecording(const QString &wavPath,
                                                      const QString &language,
                                                      double timeoutSeconds = 120.0);

// The same recording through the bare `pocketsphinx_continuous -infile` with its default model.
std::optional<RecordingTranscript> recognizeWithBarePocketSphinx(const QString &wavPath,
                                                                 double timeoutSeconds = 120.0);

} // namespace vexa::voice
