#pragma once

#include "../audiocapture.h"

#include <QtGlobal>

// The microphone goes through Qt Multimedia, which brings PulseAudio and its codecs with it:
// about 1.4 MiB resident in a window that never listens. So QtAudioCapture is a module of its own
// (vexa-audio-capture.so, see appmodule.h), which LoadedAudioCapture loads when listening first
// asks for the microphone. kCaptureModuleAbi changes whenever this table, AudioCapture or the
// types it passes do.
namespace vexa::voice::detail {

inline constexpr quint32 kCaptureModuleAbi = 1;

struct CaptureModule {
    quint32 abi;
    // A new capture, owned by the caller; made on the main thread.
    AudioCapture *(*create)();
};

} // namespace vexa::voice::detail

// The module's one entry point.
extern "C" const vexa::voice::detail::CaptureModule *vexa_audio_capture();
