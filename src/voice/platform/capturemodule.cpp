#include "capturemodule.h"
#include "qtaudiocapture.h"

namespace {

vexa::voice::AudioCapture *create()
{
    return new vexa::voice::QtAudioCapture;
}

constexpr vexa::voice::detail::CaptureModule kModule{vexa::voice::detail::kCaptureModuleAbi, &create};

} // namespace

extern "C" Q_DECL_EXPORT const vexa::voice::detail::CaptureModule *vexa_audio_capture()
{
    return &kModule;
}
